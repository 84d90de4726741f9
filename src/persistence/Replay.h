// Replay files: the match snapshot, then one step per executed strike, each
// step on disk before the strike is played.
#pragma once

#include "persistence/KeyFile.h"
#include "state/MatchState.h"
#include "state/Ports.h"

#include <string>
#include <string_view>

namespace kv {

class FileReplay : public ReplayPort {
public:
    FileReplay(Module1& m, DialogPort& dialogs);
    ~FileReplay() override;
    FileReplay(const FileReplay&) = delete;
    FileReplay& operator=(const FileReplay&) = delete;

    bool StartReplayRecord(const std::string& path) override;
    void WriteReplayStep(const StrikeRecord& strike, i16 pot) override;
    void CloseReplayRecord() override;
    bool ReadReplayStep(StrikeRecord& strike, i16& pot) override;
    void CloseReplayRead() override;
    int ReplayStepCount() const override { return steps_; }

    // Reads the snapshot into the match state and stops at the first step.
    // MaxGamers is 0 afterwards when the load failed (already shown and logged).
    void LoadReplay(const std::string& path);
    // The same from the file's bytes (path names the file in messages).
    void LoadReplayText(std::string_view bytes, const std::string& path);

    // Records into this file whatever path the match screen names (the headless
    // runner's --record); empty: the named path.
    void SetRecordPath(std::string path) { recordPath_ = std::move(path); }
    // A network match: the recordings start with the host's header (its
    // snapshot and date) and end without a time, so that every machine writes
    // the same file. Empty: this machine's own header.
    void ShareHeader(std::string utf8Header) { sharedHeader_ = std::move(utf8Header); }

    bool Recording() const { return fd_ >= 0; }
    // The file of the last recording and, when any of its writes failed, why
    // the first one did (empty: the recording is whole).
    const std::string& RecordingPath() const { return writingPath_; }
    const std::string& RecordingError() const { return writeError_; }
    bool Reading() const { return reading_; }

private:
    Module1& m_;
    DialogPort& dialogs_;
    int fd_ = -1;
    std::string recordPath_;
    std::string sharedHeader_;
    std::string writingPath_;
    std::string writeError_;
    TextLines lines_;
    std::size_t pos_ = 0;
    bool reading_ = false;
    int steps_ = -1;
};

// The bytes a recording starts with (comment, snapshot, "[game]"), and those
// of one step.
std::string ReplayHeaderText(const Module1& m);
// The same of a snapshot (SnapshotText) and its date and time, in UTF-8.
std::string ReplayHeaderText(const std::string& snapshot, const std::string& stamp);
std::string ReplayStepText(const StrikeRecord& strike, i16 pot);
// Reads the step at line pos (blank lines skipped) and moves pos past it.
// False at the end of the lines, or when the step is damaged (*error says how).
bool ParseReplayStep(const TextLines& lines, std::size_t& pos, StrikeRecord& strike, i16& pot,
                     std::string* error = nullptr);

// The load browser's way in: LoadReplay, then the table-size check. True when
// the replay can be played (the caller then sets the match screen's replay
// mode and clears LoadedGame); on false the reason has been shown.
bool LoadReplayFile(Module1& m, const std::string& path, DialogPort& dialogs, FileReplay& out);

// "replay" + ReplaySlot + ".sav" in the folder, after advancing the slot (5 wraps to 1).
std::string NextReplayPath(Module1& m, const std::string& dir);

} // namespace kv
