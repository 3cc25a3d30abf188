// Regulator commands not built yet answer as an unknown word does.
#include "main.h"

void PmuMaxDS4422N(int, char**) { ExitShowHelp(1); }
void PmuMaxDS4422N_Corv(int, char**) { ExitShowHelp(1); }
