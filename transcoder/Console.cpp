#include "transcoder/Console.h"

#include <cerrno>

#include <unistd.h>

void WriteToConsole(const std::string& text) {
    // A status line is short; one call writes it whole unless a signal interrupts it first.
    ssize_t written;
    do {
        written = ::write(STDERR_FILENO, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
}
