// Raw I2C and board-ID commands not built yet answer as an unknown word does.
#include "main.h"

void I2C(int, char**) { ExitShowHelp(1); }
void I2C16(int, char**) { ExitShowHelp(1); }
void BoardID(int, char**) { ExitShowHelp(1); }
