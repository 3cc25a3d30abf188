// Prints what the shell completion and the manual page list for each regulator command,
// walked from the drivers' own rail tables, and the board codes of the margining DACs.
// One line per command: the keyword, "switch" or "fixed" (whether ON and OFF apply), the
// rail names; then "boards" and the board codes. The lines go to the file named by the
// one argument.
#include <cstdio>
#include <string>
#include <vector>

#include "as3720.h"
#include "lp8755.h"
#include "main.h"
#include "max77660.h"
#include "max77663.h"
#include "maxDS442Xn.h"
#include "rail.h"
#include "tps51632.h"
#include "tps62361.h"
#include "tps62365.h"
#include "tps62366.h"
#include "tps65911.h"
#include "tps65913.h"
#include "tps80031.h"
#include "tps80032.h"
#include "tps80036.h"

namespace {

typedef std::vector<std::string> Names;

struct Command {
    const char* keyword;
    bool switched;
    Names rails;
};

template <typename Record>
Names RailNames(const Record* table)
{
    Names names;
    for (const Record* rail = table; IsRailRecord(rail->name); ++rail)
        names.push_back(rail->name);
    return names;
}

// The board table is reached only through the board lookup, so the codes are found by
// asking it for every code of the BRDnn form.
Names BoardCodes()
{
    Names codes;
    for (int number = 1; number <= 99; ++number) {
        char code[8];
        snprintf(code, sizeof code, "BRD%02d", number);
        if (IdentifyPlatform(code) == 0)
            codes.push_back(code);
    }
    return codes;
}

void PrintLine(const char* head, const Names& words)
{
    fputs(head, stdout);
    for (const std::string& word : words)
        printf(" %s", word.c_str());
    printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || freopen(argv[1], "w", stdout) == nullptr) {
        fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    const Command commands[] = {
        {"-as3720", true, RailNames(as3720_tab)},
        {"-lp8755", true, RailNames(lp8755_VoltTab)},
        {"-tps51632", false, RailNames(tps51632_VoltTab)},
        {"-tps62361", false, RailNames(tps62361_reg_tab)},
        {"-tps62365", false, RailNames(tps62365_reg_tab)},
        {"-tps62366", false, RailNames(tps62366_reg_tab)},
        {"-tps65911", true, RailNames(tps65911_VoltTab)},
        {"-tps65913", true, RailNames(tps65913_VoltTab)},
        {"-tps80031", true, RailNames(tps80031_tab)},
        {"-tps80032", true, RailNames(tps80032_tab)},
        {"-tps80036", true, RailNames(tps80036_tab)},
        {"-ds4422n", false, RailNames(maxDS442Xn_reg_tab)},
        {"-ds4424n", false, RailNames(maxDS442Xn_reg_tab)},
        {"-max77660", true, RailNames(max77660_tab)},
        {"-max77663", true, RailNames(max77663_tab)},
        {"-max77664", true, RailNames(max77663_tab)},
    };
    for (const Command& command : commands)
        PrintLine((std::string(command.keyword) + (command.switched ? " switch" : " fixed")).c_str(), command.rails);
    PrintLine("boards", BoardCodes());
    return fclose(stdout) == 0 ? 0 : 1;
}
