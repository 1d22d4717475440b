// A module built with its assertions on, as the shipped one must not be: the
// PE check has to find its assertion handler.
#include <cassert>

extern "C" __declspec(dllexport) int Checked(int value) {
    assert(value > 0);
    return value;
}
