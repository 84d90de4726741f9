// Saved games: the snapshot of the whole match state that quick saves and the
// beginning of every replay are made of.
#pragma once

#include "persistence/KeyFile.h"
#include "state/MatchState.h"
#include "state/Ports.h"

#include <string>
#include <string_view>

namespace kv {

// Sections [general], [Gobla1..16], [rc1..8] (team game only) and [pipa1..4],
// each line ended by CR LF; reals in their shortest exact form.
std::string SnapshotText(const Module1& m);

// Writes a saved game (temporary file, then rename). False with the error
// description in *err.
bool WriteSaveGame(const Module1& m, const std::string& path, std::string* err);

// The match's writer: on failure HintText gets the error, which is logged too.
void SaveGame(Module1& m, const std::string& path);

// Reads a saved game into the match state. MaxGamers is 0 afterwards when the
// load was refused or failed (the reason has been shown and logged).
void LoadGame(Module1& m, const std::string& path, DialogPort& dialogs);
// The same from the file's bytes (path names the file in messages).
void LoadGameText(Module1& m, std::string_view bytes, const std::string& path, DialogPort& dialogs);

// The load browser's table check after a load: false (after the message) when
// the table is not 200..1000 in both directions.
bool CheckLoadedTable(const Module1& m, DialogPort& dialogs);

// Quick saves of the match screen.
class FileSaves : public SaveGamePort {
public:
    explicit FileSaves(Module1& m);
    FileSaves(Module1& m, std::string dir);
    void SaveGame(const std::string& path) override;
    std::string StateDir() const override { return dir_; }

private:
    Module1& m_;
    std::string dir_;
};

namespace detail {
enum class SnapshotKind { Game, Replay };
// The common reading of saved games and replay snapshots; false when the
// load failed or was refused (MaxGamers is then 0).
bool ReadSnapshot(Module1& m, const TextLines& f, const std::string& path, SnapshotKind kind,
                  DialogPort& dialogs);
// Reports a load failure the way the file kind wants it.
void FailLoad(Module1& m, const std::string& path, SnapshotKind kind, const std::string& desc,
              DialogPort& dialogs);
} // namespace detail

} // namespace kv
