#include "transcoder/AvsScript.h"

#include <cctype>
#include <cmath>

namespace {

constexpr int64_t kMaxRateDenominator = 1001000;
// A script's fps is a float written out with its rounding noise (29.9700898503294 stands for NTSC's
// 30000/1001); within this relative distance of a standard rate, the standard rate is meant.
constexpr double kStandardRateTolerance = 1e-5;
constexpr Rational kStandardRates[] = {{24000, 1001}, {30000, 1001}, {60000, 1001}, {15, 1}, {24, 1},
                                       {25, 1},       {30, 1},       {50, 1},       {60, 1}};

Rational FrameRateOf(double fps) {
    for (const Rational& rate : kStandardRates)
        if (std::fabs(fps - rate.ToDouble()) < kStandardRateTolerance * rate.ToDouble())
            return rate;
    return RationalFromDouble(fps, kMaxRateDenominator);
}
constexpr double kMaxScriptFps = 1000.0;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A cursor over the script line; every Expect* throws ScriptError on mismatch.
class Reader {
public:
    explicit Reader(std::string text) : m_text(std::move(text)) {}

    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
            ++m_pos;
    }
    void ExpectWord(const std::string& word) {
        SkipBlanks();
        if (!SameLetters(m_text.substr(m_pos, word.size()), word))
            Fail("expected " + word);
        m_pos += word.size();
    }
    void ExpectChar(char c) {
        SkipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != c)
            Fail(std::string("expected '") + c + "'");
        ++m_pos;
    }
    std::string ReadQuoted() {
        SkipBlanks();
        const std::string triple = "\"\"\"";
        const bool isTriple = m_text.compare(m_pos, 3, triple) == 0;
        const std::string quote = isTriple ? triple : "\"";
        if (m_text.compare(m_pos, 1, "\"") != 0)
            Fail("expected a quoted path");
        m_pos += quote.size();
        const auto end = m_text.find(quote, m_pos);
        if (end == std::string::npos)
            Fail("unterminated path");
        std::string value = m_text.substr(m_pos, end - m_pos);
        m_pos = end + quote.size();
        return value;
    }
    double ReadNumber() {
        SkipBlanks();
        const auto start = m_pos;
        while (m_pos < m_text.size() &&
               (std::isdigit(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '.'))
            ++m_pos;
        const std::string digits = m_text.substr(start, m_pos - start);
        if (digits.empty() || digits == "." || digits.find('.') != digits.rfind('.'))
            Fail("expected a number");
        return std::stod(digits);
    }
    void ExpectEnd() {
        SkipBlanks();
        if (m_pos != m_text.size())
            Fail("unexpected text after ')'");
    }
    [[noreturn]] static void Fail(const std::string& why) {
        throw ScriptError(
            "Invalid script (DirectShowSource(\"PATH\", fps=RATE, convertfps=true) expected): " + why);
    }

private:
    std::string m_text;
    size_t m_pos = 0;
};

// The script is one line: a single line end at the very end is allowed, nothing else.
std::string TheOneLine(const std::string& text) {
    std::string line = text;
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
        line.resize(line.size() - 2);
    else if (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (line.find_first_of("\r\n") != std::string::npos || line.find('\0') != std::string::npos)
        Reader::Fail("more than one line");
    return line;
}

} // namespace

bool IsAvsPath(const std::string& path) {
    return path.size() > 4 && SameLetters(path.substr(path.size() - 4), ".avs");
}

AvsScript ParseAvsScript(const std::string& text) {
    Reader reader(TheOneLine(text));
    reader.ExpectWord("DirectShowSource");
    reader.ExpectChar('(');
    AvsScript script;
    script.sourcePath = reader.ReadQuoted();
    if (script.sourcePath.empty())
        Reader::Fail("empty path");
    reader.ExpectChar(',');
    reader.ExpectWord("fps");
    reader.ExpectChar('=');
    const double fps = reader.ReadNumber();
    if (!(fps > 0.0) || fps > kMaxScriptFps)
        Reader::Fail("fps out of range");
    script.frameRate = FrameRateOf(fps);
    reader.ExpectChar(',');
    reader.ExpectWord("convertfps");
    reader.ExpectChar('=');
    reader.ExpectWord("true");
    reader.ExpectChar(')');
    reader.ExpectEnd();
    return script;
}
