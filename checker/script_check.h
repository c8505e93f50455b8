// The font installer's side of a disc: every install script, read through
// the installer's own loader, and every item's files found, joined and
// expanded on the disc as the installer would.
#pragma once

namespace vexacheck {

class DiscTree;
class Report;

// Checks each folder that holds the installer (Tarsik.exe) or its script
// (VEXA95.INI).
void CheckInstallScripts(const DiscTree& tree, Report& report);

}  // namespace vexacheck
