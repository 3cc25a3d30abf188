// Built into the sanitized rigo: a finding ends it with a status of its own, which the
// tests cannot mistake for rigo's failure status 1.
extern "C" const char* __asan_default_options()
{
    return "exitcode=86";
}

extern "C" const char* __ubsan_default_options()
{
    return "exitcode=86:print_stacktrace=1";
}
