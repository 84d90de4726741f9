// A dialog port that records every message and answers from a queue.
#pragma once

#include "match/Ports.h"

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace kv::test {

struct ShownMessage {
    std::string text;
    MsgIcon icon;
    MsgButtons buttons;
    std::string caption;
};

class FakeDialogs : public DialogPort {
public:
    std::vector<ShownMessage> shown;
    std::deque<MsgAnswer> answers;
    int busyDepth = 0;

    MsgAnswer Message(const std::string& text, MsgIcon icon, MsgButtons buttons,
                      const std::string& caption = {}) override {
        shown.push_back({text, icon, buttons, caption});
        if (answers.empty()) return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void SetBusy(bool busy) override { busyDepth = busy ? 1 : 0; }
};

// A fresh state folder for one test; KVELMAR2_HOME points at it.
class TempHome {
public:
    TempHome() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kvfilesXXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data());
        ::setenv("KVELMAR2_HOME", dir_.c_str(), 1);
    }
    ~TempHome() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Dir() const { return dir_ + "/"; }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

} // namespace kv::test
