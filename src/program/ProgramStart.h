#pragma once

#include <string>

namespace quill {

class clsLanguages;
class Program;
class ProgramContext;

/// "[appdata]<product name>DAT" expanded with the path tokens as they stand now, doubled
/// backslashes folded, without a trailing backslash: what start-up fixes as the data folder.
std::string ExpandDataFolder(ProgramContext& app);

/// Fixes the data folder for the rest of the run and makes it when it is missing: every later
/// file operation needs it. False when it is still missing.
bool OpenDataFolder(ProgramContext& app);

/// The catalogue's built-in English messages, with the words of the results list.
void LoadBuiltInTexts(clsLanguages& catalog);

/// Definitions staged while the program was not running ("DL" + the file's name, left by the
/// installer or the command line) take the place of the live ones.
void PromoteStagedDefinitions(ProgramContext& app);

/// The start of a program without windows (the command line): the data folder, the built-in
/// messages, one copy at a time, staged definitions and the exclusions; the program is
/// recorded as running. Returns why it cannot run, or "" when it started.
std::string StartWithoutWindows(Program& program);

/// Records that the program runs, or that it stopped; either way no restart is pending.
void RecordRunning(ProgramContext& app, bool running);

}  // namespace quill
