// Whole files: reading, writing safely, and the errors of either in Russian.
#pragma once

#include "state/Ports.h"
#include <string>
#include <string_view>

namespace kv {

bool FileExists(const std::string& path);
// A plain file's bytes; false with the error description in *err.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* err = nullptr);
// Whole file, each line followed by CR LF; "" when missing or unreadable.
std::string ReadTextFile(const std::string& path, DialogPort& dialogs);
// Replaces the file with text + CR LF; false (after the message) on failure.
bool WriteTextFile(const std::string& path, const std::string& text, DialogPort& dialogs);

// Writes bytes to a temporary file in the same folder and renames it over the
// path: the old file stays whole until the new one is. With durable set the
// data and the rename are also flushed to the disk before returning.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* err,
                     bool durable = false);

// Description of an errno value, in Russian.
std::string ErrorText(int err);

// Short date and long time of now: dd.MM.yyyy and HH:mm:ss.
std::string DateText();
std::string TimeText();

} // namespace kv
