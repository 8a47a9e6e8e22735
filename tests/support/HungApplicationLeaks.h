// Include once, in a test program that makes accessibility requests to a hung application.
//
// libatspi abandons the D-Bus call (with its timeout and closure) of each request an application left
// unanswered; that is its leak, not ours. Full stacks let the suppression name the libatspi function.
#pragma once

extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:dbind_send_and_allow_reentry\n";
}
