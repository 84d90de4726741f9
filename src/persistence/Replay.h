// Replay files: the match snapshot, then one step per executed strike, each
// step on disk before the strike is played.
#pragma once

#include "persistence/TextFile.h"
#include "state/Module1.h"
#include "state/Ports.h"

#include <string>

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

    // Reads the snapshot into the match state and stops at the first step.
    // MaxGamers is 0 afterwards when the load failed (already shown and logged).
    void LoadReplay(const std::string& path);

    // Records into this file whatever path the match screen names (the headless
    // runner's --record); empty: the named path.
    void SetRecordPath(std::string path) { recordPath_ = std::move(path); }

    bool Recording() const { return fd_ >= 0; }
    bool Reading() const { return reading_; }

private:
    Module1& m_;
    DialogPort& dialogs_;
    int fd_ = -1;
    std::string recordPath_;
    TextLines lines_;
    std::size_t pos_ = 0;
    bool reading_ = false;
};

// The load browser's way in: LoadReplay, then the table-size check. True when
// the replay can be played (the caller then sets the match screen's replay
// mode and clears LoadedGame); on false the reason has been shown.
bool LoadReplayFile(Module1& m, const std::string& path, DialogPort& dialogs, FileReplay& out);

// "replay" + ReplaySlot + ".sav" in the folder, after advancing the slot (5 wraps to 1).
std::string NextReplayPath(Module1& m, const std::string& dir);

} // namespace kv
