// The scanners' vector paths against the scalar one and the C library: the
// float texts a fast conversion most easily gets wrong, read where the
// vector paths take them (text following) and where they must not read on
// (the number ends the buffer); and whole files read on every path, cut
// into chunks at every line, with CR-LF endings and without a final line
// feed, building the model the stdio reference builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_scan.h"
#include "tests/support/models.h"
#include "tests/support/obj_oracle.h"

namespace {

using glmscan::Path;

const char* pathName(Path path) { return path == Path::Scalar ? "scalar" : path == Path::Sse2 ? "SSE2" : "AVX2"; }

// Runs the test body on one path, then gives the readers back their best.
class ScanPaths : public testing::TestWithParam<Path> {
protected:
    void SetUp() override
    {
        if (!glmscan::usePath(GetParam()))
            GTEST_SKIP() << "this processor has no " << pathName(GetParam()) << " path";
    }
    void TearDown() override { glmscan::useBestPath(); }
};

bool scanOnPath(Path path, const char*& p, const char* end, float& out)
{
    switch (path) {
    case Path::Avx2:
        return glmscan::scanFloat<Path::Avx2>(p, end, out);
    case Path::Sse2:
        return glmscan::scanFloat<Path::Sse2>(p, end, out);
    case Path::Scalar:
        break;
    }
    return glmscan::scanFloat<Path::Scalar>(p, end, out);
}

// The float (strtof's) and the length sscanf's "%f" gives for `text`,
// against scanFloat on the path, with the number alone in a block of its
// own size (nothing after it to read) and with a line of numbers after it.
void expectAsTheCLibrary(Path path, const std::string& text)
{
    for (const std::string& tail : {std::string(), std::string(" 0.5 1.25 -2.125 3.0625\n")}) {
        const std::string whole = text + tail;
        float expected = 0;
        int length = 0;
        const bool converts = std::sscanf(whole.c_str(), "%f%n", &expected, &length) == 1;
        std::unique_ptr<char[]> block(new char[whole.size()]);
        std::memcpy(block.get(), whole.data(), whole.size());
        const char* p = block.get();
        float got = -1;
        const bool read = scanOnPath(path, p, block.get() + whole.size(), got);
        ASSERT_EQ(read, converts) << '"' << text << '"' << (tail.empty() ? " alone" : " with more");
        if (!read)
            continue;
        EXPECT_EQ(p - block.get(), length) << '"' << whole << '"';
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(got)) << text;
            EXPECT_EQ(std::signbit(expected), std::signbit(got)) << text;
        } else {
            const float strtofValue = std::strtof(text.c_str(), nullptr);
            EXPECT_EQ(std::memcmp(&strtofValue, &got, 4), 0) << '"' << text << "\": " << strtofValue << " vs " << got;
        }
    }
}

TEST_P(ScanPaths, FloatsAFastConversionBreaksReadAsStrtof)
{
    const std::vector<std::string> texts = {
        // Hexadecimal, infinities and NaN, signs.
        "0x1.8p3", "-0X1P-2", "0x.8", "0x1p", "0xg", "0x1.fffffep127", "0x1.ffffffp127", "inf", "-Infinity", "INFINITE",
        "nan", "-NaN", "nanx", "+1.5", "+0.000001", "+-1", "-.5", "+.", "-", "5.", ".5e1", "1e", "1e+", "2E-3x",
        // Overflow, the largest floats and subnormals.
        "3.4028235e38", "3.4028236e38", "1e39", "-1e400", "340282356779733661637539395458142568448.0", "1e-38",
        "1.17549421e-38", "1e-40", "1.4e-45", "7.006e-46", "7e-46", "1e-50", "0.00000000000000000000000000000000000001",
        // Many digits, and mantissas just past the fast forms.
        "123456789", "1.23456789", "12345678.9", "123456789.5", "0.123456789", "16777216.5", "16777217.0",
        "99999999.99999999", "1.0000000596046448", "1.00000005960464477539", "12345678901234567890",
        "0.12345678901234567890", "00000000000000000001.5", "1.00000000000000000001", "-0.000000", "0.0000000001",
        "4294967296.0", "9.999999e9", "12345678.12345678", "1234567.12345678", "12345678.1234567"};
    for (const std::string& text : texts) {
        expectAsTheCLibrary(GetParam(), text);
        if (HasFatalFailure())
            return;
    }
    // 9 to 20 significant digits, with the point anywhere and exponents either side.
    std::mt19937 rng(28);
    for (int i = 0; i < 20000; i++) {
        const int digits = 9 + static_cast<int>(rng() % 12);
        std::string text = rng() % 2 ? "-" : "";
        const int point = static_cast<int>(rng() % static_cast<unsigned>(digits + 1));
        for (int d = 0; d < digits; d++) {
            if (d == point)
                text += '.';
            text += static_cast<char>('0' + (d == 0 ? 1 + rng() % 9 : rng() % 10));
        }
        if (i % 4 == 0)
            text += "e" + std::to_string(static_cast<int>(rng() % 80) - 40);
        expectAsTheCLibrary(GetParam(), text);
        if (HasFatalFailure())
            return;
    }
}

// The short numbers most files hold ("-0.123456": up to 7 digits and a
// point), which the vector paths read in one word, against the C library:
// every place of the point, the largest and smallest mantissas, and what
// may follow them (an exponent, a second point, more digits).
TEST_P(ScanPaths, ShortNumbersReadAsStrtof)
{
    std::vector<std::string> texts = {"9.999999",  "999999.9", "0.000001",  "-0.000000", "+0.5",  "1.5e3", "1.5E-2",
                                      "1.5e",      "1.5.5",    "0.1234567", "1234567.",  "1.",    ".5",    "00.5",
                                      "0000000.1", "-9999.99", "1.1x",      "5.5-3",     "2.0\n", "0.3",   "0.7"};
    std::mt19937 rng(2828);
    for (int i = 0; i < 30000; i++) {
        const int digits = 2 + static_cast<int>(rng() % 6);  // 2 to 7
        const int point = 1 + static_cast<int>(rng() % static_cast<unsigned>(digits - 1));
        std::string text = rng() % 3 == 0 ? "-" : rng() % 8 == 0 ? "+" : "";
        for (int d = 0; d < digits; d++) {
            if (d == point)
                text += '.';
            text += static_cast<char>('0' + rng() % 10);
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        expectAsTheCLibrary(GetParam(), text);
        if (HasFatalFailure())
            return;
    }
}

int scanFloatsOnPath(Path path, const char*& p, const char* end, float* values, int count)
{
    switch (path) {
    case Path::Avx2:
        return glmscan::scanFloats<Path::Avx2>(p, end, values, count);
    case Path::Sse2:
        return glmscan::scanFloats<Path::Sse2>(p, end, values, count);
    case Path::Scalar:
        break;
    }
    return glmscan::scanFloats<Path::Scalar>(p, end, values, count);
}

// Lines of three numbers, short and long forms mixed, single and double
// blanks, read by scanFloats with much text after the line and with the
// line ending the buffer: each number strtof's, the count sscanf's.
TEST_P(ScanPaths, LinesOfNumbersReadAsTheCLibrary)
{
    const char* const forms[] = {"0.123456", "-0.5",     "+1.25", "12345678.9", "1e3",       "0x1p1", "inf", "3.",
                                 "-7",       "9999999.", ".5",    "1.5e",       "0.0000001", "2.5x",  "abc", "1.2.3"};
    std::mt19937 rng(91);
    for (int i = 0; i < 4000; i++) {
        std::string line;
        for (int n = 0; n < 3; n++)
            line += std::string(rng() % 5 == 0 ? "  " : " ") + forms[rng() % std::size(forms)];
        line += "\n";
        float expected[3];
        const int converts = std::sscanf(line.c_str(), "%f%f%f", &expected[0], &expected[1], &expected[2]);
        for (const std::size_t after : {std::size_t{0}, std::size_t{200}}) {
            std::string text = line + std::string(after, 'x');
            std::unique_ptr<char[]> block(new char[text.size()]);
            std::memcpy(block.get(), text.data(), text.size());
            const char* p = block.get();
            float got[3] = {-1, -1, -1};
            const int read = scanFloatsOnPath(GetParam(), p, block.get() + text.size(), got, 3);
            ASSERT_EQ(read, converts) << '"' << line << '"';
            for (int n = 0; n < read; n++)
                EXPECT_EQ(std::memcmp(&expected[n], &got[n], 4), 0) << '"' << line << "\" number " << n;
        }
    }
}

// The texts every path reads: random models with CR-LF or LF endings, and
// the lines the vector paths cut short: numbers and references ending the
// text, no final line feed, long comments and names.
std::vector<std::string> pathTexts()
{
    std::vector<std::string> texts;
    std::mt19937 rng(7);
    for (int i = 0; i < 40; i++)
        texts.push_back(randomObj(rng, false, i % 5 == 0));
    const std::string body = "v 0.123456 -1.5 2.25\nv 1 2 3\nv -0.000001 +0.5 7.0\nvt 0.25 0.75\nvn 0 0 1\n"
                             "# a comment long enough to take more than one vector of thirty-two bytes ........\n"
                             "g a group name longer than thirty-two bytes for the line search\n"
                             "f 1/1/1 2/1/1 3/1/1\nf 3//1 2//1 1//1\nf 1 2 3";
    texts.push_back(body);
    texts.push_back(body + "\n");
    texts.push_back(body + "\r\n");
    texts.push_back(body + " 2");
    texts.push_back("v 1 2 3\nv 4 5 6\nv 7 8 9\nf 1 2 3\nv 0.5 0.25 0.125");
    texts.push_back("v 1 2 3\nv 4 5 6\nv 7 8 9\nf 1 2 3\nv 0.5 0.25 12345678.12345678");
    // Corners "v/t/n" the vector paths read in one go and those they leave
    // to the scalar reading: 8 and 9 digits, signs, blanks after a slash,
    // tabs and two blanks between corners, a face at the very end.
    std::string values;
    for (int i = 1; i <= 12; i++)
        values += "v " + std::to_string(i) + " 0 0\nvt 0." + std::to_string(i) + " 0\nvn 0 0 1\n";
    const std::string corners =
        values + "f 1/2/3 2/3/4 3/4/5\nf 12/12/12 11/11/11 10/10/10 9/9/9\n"
                 "f 00000001/00000002/00000003 2/2/2 3/3/3\nf 000000001/1/1 2/000000002/2 3/3/000000003\n"
                 "f -1/-1/-1 -2/-2/-2 -3/-3/-3\nf 1/2/3  2/3/4\t3/4/5\nf 4/ 5/6 5/6/ 7 6/7/8\n"
                 "f 1/2/3 2/3/4 3/4/5 4/5/6 5/6/7 6/7/8 7/8/9 8/9/10 9/10/11\n"
                 // Faces going on on the next lines, and ended by
                 // a blank line, a comment, a statement.
                 "f 1/2/3 2/3/4\n3/4/5\n# c\nf 4 5 6\n7\n\nf 1 2 3\n\n4\ng g\nf 1//1 2//2\n 3//3\n"
                 "f 1/2/3 2/3/4 3/4/5\r\nf 7/7/7 8/8/8 9/9/9";
    texts.push_back(corners);
    texts.push_back(corners + "\n");
    texts.push_back(corners + " 10/10/10");
    std::string crlf;
    for (char c : body + "\n") {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    texts.push_back(crlf);
    return texts;
}

TEST_P(ScanPaths, FilesReadAsTheReferenceReadsThemInEveryCut)
{
    TempDir dir;
    int index = 0;
    for (const std::string& text : pathTexts()) {
        const std::string path = dir.file("model" + std::to_string(index++) + ".obj");
        writeFile(path, text);
        std::string oracleError;
        GlmMesh* expected = nullptr;
        captureStdout([&] { expected = oracleReadOBJ(path.c_str(), &oracleError); });
        // One thread, then two over chunks of every size up to a few lines,
        // so that some chunk ends at every line's last byte.
        std::vector<std::size_t> chunks = {0};
        for (std::size_t bytes = 1; bytes <= 48; bytes++)
            chunks.push_back(bytes);
        for (std::size_t chunk : chunks) {
            GlmReadOptions options;
            options.threads = chunk ? 2 : 1;
            options.chunkBytes = chunk;
            GlmReadError error;
            GlmMesh* model = nullptr;
            captureStdout([&] { model = glmLoadOBJ(path.c_str(), &options, &error); });
            const std::string where = "\"" + text.substr(0, 40) + "...\", chunk " + std::to_string(chunk);
            if (expected) {
                ASSERT_TRUE(model) << where << ": " << error.message;
                ASSERT_EQ(modelDifference(expected, model), "") << where;
                glmDestroy(model);
                // From a block that ends where the text ends: nothing past it is read.
                std::unique_ptr<char[]> block(new char[text.size()]);
                std::memcpy(block.get(), text.data(), text.size());
                captureStdout([&] { model = glmParseOBJ(block.get(), text.size(), path.c_str(), &options, &error); });
                ASSERT_TRUE(model) << where << ": " << error.message;
                ASSERT_EQ(modelDifference(expected, model), "") << where << " from memory";
                glmDestroy(model);
            } else {
                ASSERT_FALSE(model) << where;
                EXPECT_EQ(error.message, oracleError) << where;
            }
        }
        if (expected)
            glmDestroy(expected);
    }
}

INSTANTIATE_TEST_SUITE_P(GlmScan, ScanPaths, testing::Values(Path::Scalar, Path::Sse2, Path::Avx2),
                         [](const testing::TestParamInfo<Path>& info) { return std::string(pathName(info.param)); });

}  // namespace
