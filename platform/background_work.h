#pragma once
// Work that runs beside the user-interface thread, such as a coding pass on
// a large file, so that the windows repaint and a progress bar moves while
// the user's input is dropped. The end of the program waits for such work
// before it closes the files the work may be using, so a pass is never cut
// off half way (its temporary target is removed or given its name by the
// pass itself).
#include <functional>

namespace tambril {

// Runs `work` on a thread of its own and returns when it has ended. Events
// other than user input are handled meanwhile (timers, repaints, queued
// calls from `work`); mouse and key input that arrives meanwhile is thrown
// away, not kept for later. An exception thrown by `work` is thrown again here.
// `work` must never wait for the user-interface thread (no blocking queued
// calls): the end of the program may hold that thread until `work` is done.
void RunBeside(const std::function<void()>& work);

// How many RunBeside calls are running now.
int BackgroundWorkRunning();

// Blocks until no work started by RunBeside is running any more.
void WaitForBackgroundWork();

}  // namespace tambril
