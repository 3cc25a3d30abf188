// The -dvfs dump: the live EMC and MC timing registers printed as one DVFS table entry.
#pragma once

#include <vector>

#include "soc/register_record.h"

int DvfsTable();

// Every register the dump reads, in its order, each once; EMC_CFG with its two bits decoded.
std::vector<RegisterRecord> RecordDvfsRegisters();
