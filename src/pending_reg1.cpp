// Regulator commands not built yet answer as an unknown word does.
#include "main.h"

void PmuLP8755(int, char**) { ExitShowHelp(1); }
void PmuTPS65911(int, char**) { ExitShowHelp(1); }
void PmuMax77663(int, char**) { ExitShowHelp(1); }
