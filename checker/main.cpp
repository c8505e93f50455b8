// vexacheck, the disc author's checker: reads a disc folder as the menu
// launcher and the font installer will read it from the disc, and reports
// one line per finding. Exit status 0 when clean, 1 for warnings only, 2 for
// errors (a folder that cannot be read at all, or a wrong command line).
// Every run ends with the summary line ("N errors, N warnings"), by which
// scripts/check-disc tells a run that found nothing from one that never ran.
#include <windows.h>

#include <string>

#include "disc_check.h"

int main(int argc, char** argv) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    vexacheck::Report report;
    if (argc != 2 || argv[1][0] == '\0') {
        vexacheck::WriteLines(GetStdHandle(STD_ERROR_HANDLE),
                              {"usage: vexacheck DISC_FOLDER",
                               "Checks the folder that becomes the disc; exit status 0 clean, 1 warnings, 2 errors."});
        report.Error("", "", "no disc folder named");
        vexacheck::WriteLines(out, report.Lines("vexacheck"));
        return report.ExitStatus();
    }
    vexacheck::CheckDisc(argv[1], report);
    vexacheck::WriteLines(out, report.Lines(vexacheck::Utf8FromAnsi(argv[1])));
    return report.ExitStatus();
}
