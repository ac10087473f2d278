// Loads a libtabrix.so by path and makes every bridge call once, writing "export result" per
// line to the output file. A library stays loaded for the life of a process, so each way of
// finding the companions is tried by a probe of its own with its own environment.
//
//   bridge_probe LIBTABRIX OUTPUT [INSTALL_FROM INSTALL_TO]
//
// After ViewGetErrorNo come its result and the number; after ViewGetErrorMessage its result
// and 1 when the message is XlsGetErrorMessage's. With INSTALL_FROM and INSTALL_TO, one ViewPutZoom
// is made first ("first result"), then the file is copied into place before the calls.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/bridges/bridge_calls.h"

namespace {

using tabrix::test::bridge_calls;
using tabrix::test::probe_argument;

using Call0 = int32_t (*)();
using Call1 = int32_t (*)(int32_t);
using Call2 = int32_t (*)(int32_t, int32_t);
using Call3 = int32_t (*)(int32_t, int32_t, int32_t);
using Call5 = int32_t (*)(int32_t, int32_t, int32_t, int32_t, int32_t);

template <class Function>
Function symbol(void *library, std::string_view name) {
    void *address = dlsym(library, std::string(name).c_str());
    if (!address) {
        std::fprintf(stderr, "missing export %.*s\n", static_cast<int>(name.size()), name.data());
        std::exit(2);
    }
    return reinterpret_cast<Function>(address);
}

int32_t make_call(void *library, std::size_t index) {
    const auto &call = bridge_calls[index];
    const auto a = [index](int position) { return probe_argument(index, position); };
    switch (call.arguments) {
        case 0:
            return symbol<Call0>(library, call.name)();
        case 1:
            return symbol<Call1>(library, call.name)(a(0));
        case 2:
            return symbol<Call2>(library, call.name)(a(0), a(1));
        case 3:
            return symbol<Call3>(library, call.name)(a(0), a(1), a(2));
        case 5:
            return symbol<Call5>(library, call.name)(a(0), a(1), a(2), a(3), a(4));
    }
    std::exit(2);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3 && argc != 5) return 2;
    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    std::ofstream out(argv[2]);
    if (argc == 5) {
        out << "first " << symbol<Call2>(library, "ViewPutZoom")(1, 2) << '\n';
        std::filesystem::copy_file(argv[3], argv[4]);
    }
    for (std::size_t index = 0; index < bridge_calls.size(); ++index) {
        out << bridge_calls[index].name << ' ' << make_call(library, index) << '\n';
    }
    // The viewer's errors are the Book API's, viewer or not.
    symbol<int32_t (*)(int32_t)>(library, "XlsSetErrorNo")(4);
    int32_t number = -1;
    out << "ViewGetErrorNo " << symbol<int32_t (*)(int32_t *)>(library, "ViewGetErrorNo")(&number)
        << ' ' << number << '\n';
    char message[256] = "unset";
    char expected[256] = "";
    using Message = int32_t (*)(char *, int32_t);
    const int32_t result = symbol<Message>(library, "ViewGetErrorMessage")(message, sizeof message);
    symbol<Message>(library, "XlsGetErrorMessage")(expected, sizeof expected);
    out << "ViewGetErrorMessage " << result << ' '
        << (expected[0] != '\0' && std::string(message) == expected) << '\n';
    return out ? 0 : 1;
}
