// SoC readout commands not built yet answer as an unknown word does.
#include "main.h"
#include "platform.h"

void GetPLL(int, char**) { ExitShowHelp(1); }
void GetFrequency(int, char**) { ExitShowHelp(1); }
void DvfsTable() { ExitShowHelp(1); }
int PrintFuseInfo() { ExitShowHelp(1); }
int ShowIddqG() { ExitShowHelp(1); }
int ShowIddqLP() { ExitShowHelp(1); }
int VerifyIddqLimitG(DWORD) { ExitShowHelp(1); }
int VerifyIddqLimitLP(DWORD) { ExitShowHelp(1); }
