// Regulator commands not built yet answer as an unknown word does.
#include "main.h"

void PmuMax77660(int, char**) { ExitShowHelp(1); }
void PmuTPS62361(int, char**) { ExitShowHelp(1); }
void PmuTPS62365(int, char**) { ExitShowHelp(1); }
void PmuTPS62366(int, char**) { ExitShowHelp(1); }
void PmuTPS51632(int, char**) { ExitShowHelp(1); }
