#pragma once

#include <functional>
#include <string>
#include <vector>

// How a child process ended and everything it wrote to standard output and standard error.
struct ChildResult {
    bool exited = false; // ended by exit(), not by a signal
    int exitStatus = -1; // when exited
    int signal = 0;      // when not exited
    bool killedAsHung = false;
    std::string output;
};

// Runs the program with the arguments (no shell), standard output and standard error on one pipe.
// A child that is still running after safetySeconds is killed and reported as hung: a guard against
// a stuck test run, not a measure of speed. onOutput, when given, sees the output as it arrives and
// gets the child's pid (to send it signals).
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     int safetySeconds = 300,
                     const std::function<void(int pid, const std::string& outputSoFar)>& onOutput = {});

// The last line of a program's output, without its line end.
std::string LastLine(const std::string& output);

// The program folder the build writes trenc and rtrenc to.
std::string ProgramFolder();
std::string TrencPath();
std::string RtrencPath();
