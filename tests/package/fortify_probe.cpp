// Copies its first argument into a buffer of fixed size, with a length the
// compiler cannot know. With _FORTIFY_SOURCE the copy goes through the checked
// __memcpy_chk, which the package test looks for in this program's dynamic
// symbols; the program proper has no such call.
#include <cstring>

int main(int argc, char* argv[]) {
    char buffer[16] = {};
    if (argc > 1)
        std::memcpy(buffer, argv[1], std::strlen(argv[1]));
    return buffer[0] == 'x' ? 1 : 0;
}
