// Regulator commands not built yet answer as an unknown word does.
#include "main.h"

void PmuTPS80036(int, char**) { ExitShowHelp(1); }
void PmuAS3720(int, char**) { ExitShowHelp(1); }
