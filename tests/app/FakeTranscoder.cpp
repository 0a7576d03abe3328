// A stand-in for trenc in the window tests: whatever its arguments, it writes a status line in
// the transcoder's format (frame, q, size, time in seconds, bitrate) every 200 ms for about two seconds, then
// ends.
#include <chrono>
#include <cstdio>
#include <thread>

int main() {
    constexpr int Lines = 10;
    for (int second = 0; second < Lines; ++second) {
        std::printf("frame=%5d q=2.0 size=%8dkB time=%d.00 bitrate= 100.0kbits/s\r", second * 5, second * 10,
                    second);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return 0;
}
