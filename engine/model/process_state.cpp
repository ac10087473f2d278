#include "engine/model/process_state.h"

namespace tabrix::engine {

ProcessState &process_state() {
    static ProcessState state;
    return state;
}

}  // namespace tabrix::engine
