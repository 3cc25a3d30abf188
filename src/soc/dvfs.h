// The -dvfs dump: the live EMC and MC timing registers printed as one DVFS table entry.
#pragma once

int DvfsTable();
