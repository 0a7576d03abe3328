// A stand-in for the transcoder, for tests of the runner and the batch with real processes.
// Its first argument chooses what it does:
//   status COUNT PACE_MS [OUTPUT]  a banner, then COUNT status lines PACE_MS apart; with OUTPUT,
//                                  one line appended to that file per status line
//   burst BYTES                    BYTES bytes in one write (1023-byte pieces lettered A, B, C...),
//                                  then a short wait so the runner sees them all at once
//   exit                           ends at once, silently
//   forever PACE_MS                status lines until it is killed
//   inspect                        reports its working folder, session, descriptors and arguments
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void WriteAll(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (written <= 0)
            std::exit(3);
        done += static_cast<std::size_t>(written);
    }
}

void Sleep(long milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string StatusLine(long second) {
    return "frame=" + std::to_string(second * 25) + " q=2.0 size=" + std::to_string(second * 10) +
           "kB time=" + std::to_string(second) + ".50 bitrate= 64.0kbits/s\r";
}

int Status(long count, long pace, const char* output) {
    WriteAll("fake transcoder\n");
    for (long second = 1; second <= count; ++second) {
        Sleep(pace);
        WriteAll(StatusLine(second));
        if (output != nullptr) {
            std::ofstream file(output, std::ios::app);
            file << "second " << second << "\n";
        }
    }
    return 0;
}

int Burst(long bytes) {
    std::string text;
    for (long i = 0; i < bytes; ++i)
        text += static_cast<char>('A' + (i / 1023) % 26);
    WriteAll(text);
    Sleep(300);
    return 0;
}

int Inspect(int argc, char** argv) {
    std::string report = "cwd=" + std::filesystem::current_path().string() + "\n";
    report += std::string("session=") + (getsid(0) == getpid() ? "own" : "inherited") + "\n";
    struct stat input {};
    report += std::string("stdin=") +
              (fstat(STDIN_FILENO, &input) == 0 && S_ISFIFO(input.st_mode) ? "pipe" : "other") + "\n";
    report += "fds=";
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const std::string name = entry.path().filename().string();
        // The iterator's own descriptor is the one that points at this folder.
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error).string().find("/proc/") == std::string::npos)
            report += name + " ";
    }
    report += "\nargs=";
    for (int i = 1; i < argc; ++i)
        report += std::string("[") + argv[i] + "]";
    report += "\n";
    WriteAll(report);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "status" && argc >= 4)
        return Status(std::atol(argv[2]), std::atol(argv[3]), argc > 4 ? argv[4] : nullptr);
    if (mode == "burst" && argc >= 3)
        return Burst(std::atol(argv[2]));
    if (mode == "exit")
        return 0;
    if (mode == "forever" && argc >= 3) {
        for (long second = 1;; ++second) {
            WriteAll(StatusLine(second));
            Sleep(std::atol(argv[2]));
        }
    }
    if (mode == "inspect")
        return Inspect(argc, argv);
    return 2;
}
