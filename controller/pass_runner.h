#pragma once
// Runs one coding pass on a worker thread while its dialog stays on screen:
// the window repaints and the progress bar moves, but no window takes input
// or can be closed until the pass has ended, and there is no cancel.
#include <functional>

#include "codec/progress.h"

namespace tambril {

// Runs `pass` on a worker thread and waits for its end in a local event loop
// that drops the user's input. Every value the pass reports through the
// callback it is given reaches `show` on the calling thread, in order, before
// RunPass returns. An exception thrown by the pass is thrown again here.
void RunPass(const std::function<void(const codec::ProgressFn&)>& pass, const std::function<void(int)>& show);

}  // namespace tambril
