// The program's monotonic clock: seconds from the performance counter. Only
// differences mean anything; code that measures time takes this as its default
// and lets tests put a clock of their own in its place.
#pragma once

double MonotonicSeconds();
