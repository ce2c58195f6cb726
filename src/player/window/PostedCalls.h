// Work to be done once the current message has been answered: a call queued
// here runs from the message loop (a posted message to a hidden window of its
// own), so a sender waiting on SendMessage is released first and the work may
// freely load movies, run modal loops or quit.
#pragma once
#include <functional>

namespace player {

// Queues a call; it runs at the next turn of the message loop, in the order
// queued. A call that throws is reported and the rest still run.
void PostCall(std::function<void()> call);
// Runs the queued calls now (what the loop would do); for callers that must
// finish pending work before going on, and for tests.
void RunPostedCalls();
// The number of calls waiting.
size_t PendingPostedCalls();

}  // namespace player
