// Regulator commands not built yet answer as an unknown word does.
#include "main.h"

void PmuTPS80031(int, char**) { ExitShowHelp(1); }
void PmuTPS80032(int, char**) { ExitShowHelp(1); }
void PmuTPS65913(int, char**) { ExitShowHelp(1); }
