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

void RunReferenceFragments(Board& board, uint32_t chipId)
{
    for (const auto& [name, fragment] : Fragments())
        fragment(board, chipId);
}
