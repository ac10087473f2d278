#include "engine/model/process_state.h"

namespace tabrix::engine {

ProcessState &process_state() {
    static ProcessState state;
    return state;
}

std::mutex &table_mutex() {
    static std::mutex mutex;
    return mutex;
}

std::mutex &settings_mutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace tabrix::engine
