// The menu launcher's side of a disc: setup.inf read through the launcher's
// own configuration code for each of its five languages, and autorun.inf.
#pragma once

namespace vexacheck {

class DiscTree;
class Report;

// Velmora.exe and setup.inf at the disc's root: each language section, its
// texts in their code page, its items, the layout they pick, their targets.
void CheckMenu(const DiscTree& tree, Report& report);

// autorun.inf at the disc's root, naming the launcher.
void CheckAutorun(const DiscTree& tree, Report& report);

}  // namespace vexacheck
