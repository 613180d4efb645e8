#include "shell/QuitPolicy.h"

namespace ui {

bool QuitPolicy::withoutAsking_ = false;
bool QuitPolicy::systemQuitting_ = false;

void QuitPolicy::quitWithoutAsking() {
    withoutAsking_ = true;
}

void QuitPolicy::systemIsQuitting() {
    systemQuitting_ = true;
}

bool QuitPolicy::mayAsk() {
    return !withoutAsking_ && !systemQuitting_;
}

void QuitPolicy::reset() {
    withoutAsking_ = false;
    systemQuitting_ = false;
}

} // namespace ui
