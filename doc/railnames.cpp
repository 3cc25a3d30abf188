// Prints what the shell completion and the manual page list, walked from the command
// registry: "commands" and every keyword; for each command that takes names, the keyword,
// "switch" or "fixed" (whether ON and OFF apply) and the names; then "boards" and the board
// codes of the margining DACs.
// The lines go to the file named by the one argument.
#include <cctype>
#include <cstdio>
#include <string>

#include "cli/registry.h"
#include "pmic/ds442x.h"

namespace {

void PrintLine(const std::string& head, const char* (*name)(size_t))
{
    fputs(head.c_str(), stdout);
    for (size_t i = 0; name(i) != nullptr; ++i)
        printf(" %s", name(i));
    printf("\n");
}

std::string LowerCase(std::string word)
{
    for (char& c : word)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return word;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || freopen(argv[1], "w", stdout) == nullptr) {
        fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    fputs("commands", stdout);
    for (const CommandRow& row : CommandRegistry())
        if (isalpha(static_cast<unsigned char>(row.keyword[1])))  // -? is a shell pattern
            printf(" %s", row.keyword);
    printf("\n");
    for (const CommandRow& row : CommandRegistry()) {
        std::string keyword = LowerCase(row.keyword);
        if (row.regulator != nullptr) {
            const RegulatorDriver& driver = row.regulator->driver;
            PrintLine(keyword + (driver.setState != nullptr ? " switch" : " fixed"), driver.railName);
        } else if (row.outputName != nullptr) {
            PrintLine(keyword + " fixed", row.outputName);
        }
    }
    PrintLine("boards", ds442x_BoardCode);
    return fclose(stdout) == 0 ? 0 : 1;
}
