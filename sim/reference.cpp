#include "reference.h"

#include <map>
#include <string>

namespace {

std::multimap<std::string, ReferenceFragment>& Fragments()
{
    static std::multimap<std::string, ReferenceFragment> fragments;
    return fragments;
}

}  // namespace

ReferenceRegistration::ReferenceRegistration(const char* name, ReferenceFragment fragment)
{
    Fragments().emplace(name, fragment);
}

void SetRegisterList(Board& board, int bus, int address, std::initializer_list<RegisterByte> registers)
{
    for (const RegisterByte& r : registers)
        board.SetRegisters(bus, address, r.reg, {r.value});
}

void RunReferenceFragments(Board& board, uint32_t chipId)
{
    for (const auto& [name, fragment] : Fragments())
        fragment(board, chipId);
}
