// How the regulator commands read the value typed after a rail name.
#pragma once

// Each gives the value in the driver's unit; false when there is nothing more to do.
bool TruncatedValue(const char* name, const char* text, double* voltage);     // strtod, truncated toward zero
bool TenMillivoltSteps(const char* name, const char* text, double* voltage);  // strtoul base 0, down to 10 mV
bool NonZeroTenMillivoltSteps(const char* name, const char* text, double* voltage);  // the same; 0 is refused
bool WholeMillivolts(const char* name, const char* text, double* voltage);    // atoi: decimal, saturating
bool RealMillivolts(const char* name, const char* text, double* voltage);     // strtod
// Positive strtod; whole millivolts, one more when the value lies exactly on a step of the
// TPS65911 rail, so that its encoders, which round down, select that step.
bool Tps65911StepMillivolts(const char* name, const char* text, double* voltage);
