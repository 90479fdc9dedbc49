// The run report's lines, read back by our parser and by Python's json module, for paths of
// any bytes; the shard rule; reading a report to resume from.
#include <gtest/gtest.h>

#include <numeric>

#include "batch/run_report.h"
#include "batch/run_shard.h"
#include "tests/support/shell.h"
#include "tests/support/temp_folder.h"

namespace stillpix {
namespace {

BatchFileResult Processed(const std::string& source) {
    return {source, source + ".out", true, ProfileSource::kMeasured, 1.2345, ""};
}

TEST(RunReport, ExactLines) {
    EXPECT_EQ(ReportLine(Processed("/p/a.jpg")),
              "{\"source\":\"/p/a.jpg\",\"output\":\"/p/a.jpg.out\",\"status\":\"processed\","
              "\"profile\":\"measured\",\"seconds\":1.234,\"error\":null}\n");
    const BatchFileResult failed{"/p/\"b\"\\\n\x01\x7f.jpg", "", false,
                                 ProfileSource::kNone,       0,  "cannot read"};
    EXPECT_EQ(ReportLine(failed),
              "{\"source\":\"/p/\\\"b\\\"\\\\\\n\\u0001\\u007f.jpg\",\"output\":null,"
              "\"status\":\"failed\",\"profile\":null,\"seconds\":0.000,"
              "\"error\":\"cannot read\"}\n");
}

TEST(RunReport, AnyPathBytesReadBackExactly) {
    // clang-format off
    const std::pair<std::string, const char*> cases[] = {
        {"/photos/\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xb7.jpg", "valid UTF-8 as it is"},
        {"/photos/caf\xe9.jpg", "\\udce9"},                 // Latin-1
        {"/p/\xc0\xaf.jpg", "\\udcc0\\udcaf"},              // overlong '/'
        {"/p/\xed\xa0\x80.jpg", "\\udced\\udca0\\udc80"},   // an encoded surrogate
        {"/p/\xf4\x90\x80\x80.jpg", "\\udcf4\\udc90\\udc80\\udc80"},  // above U+10FFFF
        {"/p/\xe2\x82.jpg", "\\udce2\\udc82"},              // cut short
        {"/p/\xff\xfe\x80", "\\udcff\\udcfe\\udc80"},
    };
    // clang-format on
    test::TempFolder temp;
    std::string lines;
    for (const auto& [path, escaped] : cases) {
        const std::string line = ReportLine(Processed(path));
        if (path.find("\xc3\xa9") == std::string::npos) {
            EXPECT_NE(line.find(escaped), std::string::npos) << line;
        }
        BatchFileResult back;
        ASSERT_TRUE(ParseReportLine(line.substr(0, line.size() - 1), back)) << line;
        EXPECT_EQ(std::tuple(back.source, back.output, back.profile),
                  std::tuple(path, path + ".out", ProfileSource::kMeasured));
        EXPECT_DOUBLE_EQ(back.seconds, 1.234);
        lines += line;
    }
    // An independent reader: Python's json module, turning the escapes back into bytes.
    test::WriteText(temp.Path() / "report", lines);
    const std::string script =
        "import json,sys\n"
        "for l in open(sys.argv[1], encoding='utf-8'):\n"
        "    sys.stdout.buffer.write(json.loads(l)['source'].encode('utf-8', 'surrogateescape')"
        " + b'\\0')\n";
    test::WriteText(temp.Path() / "read.py", script);
    int status = -1;
    const std::string read =
        test::RunShell("/usr/bin/python3 " + test::ShellQuoted(temp.Path() / "read.py") + " " +
                           test::ShellQuoted(temp.Path() / "report"),
                       &status);
    EXPECT_EQ(status, 0);
    std::string expected;
    for (const auto& c : cases) expected += c.first + '\0';
    EXPECT_EQ(read, expected);
}

TEST(RunReport, ResumeReadsProcessedSourcesAndIgnoresOnlyACutLastLine) {
    test::TempFolder temp;
    const auto report = temp.Path() / "r.jsonl";
    std::set<std::string> done;
    std::string error;
    EXPECT_TRUE(ReadProcessedSources(report, done, error));  // none yet
    EXPECT_TRUE(done.empty());
    BatchFileResult failed = Processed("/p/c.jpg");
    failed.processed = false;
    const std::string cut = ReportLine(Processed("/p/d.jpg"));
    test::WriteText(report, ReportLine(Processed("/p/a.jpg")) + ReportLine(failed) +
                                ReportLine(Processed("/p/b.jpg")) + cut.substr(0, 30));
    EXPECT_TRUE(ReadProcessedSources(report, done, error)) << error;
    EXPECT_EQ(done, (std::set<std::string>{"/p/a.jpg", "/p/b.jpg"}));
    for (const std::string& bad :
         {std::string("/p/a.jpg\n"), cut.substr(0, 30) + "\n" + cut,
          std::string("{\"source\":\"/p/a.jpg\",\"status\":\"done\"}\n")}) {
        test::WriteText(report, bad);
        EXPECT_FALSE(ReadProcessedSources(report, done, error)) << bad;
        EXPECT_NE(error.find(", line 1: not a line of a run report"), std::string::npos) << error;
    }
}

TEST(RunShards, EveryFileInExactlyOneShard) {
    std::vector<std::string> files(11);
    for (std::size_t i = 0; i < files.size(); ++i) files[i] = "/p/" + std::to_string(i);
    std::string error;
    for (int count : {1, 3, 11, 20}) {
        std::vector<std::string> all;
        for (int index = 0; index < count; ++index) {
            const auto shard =
                ParseRunShard(std::to_string(index) + "/" + std::to_string(count), error);
            ASSERT_TRUE(shard) << error;
            const auto part = ShardFiles(files, *shard);
            all.insert(all.end(), part.begin(), part.end());
        }
        std::sort(all.begin(), all.end());
        auto sorted = files;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(all, sorted) << count;
    }
    EXPECT_EQ(ShardFiles(files, {1, 3}),
              (std::vector<std::string>{"/p/1", "/p/4", "/p/7", "/p/10"}));
    for (const char* bad : {"3/3", "1", "-1/3", "+1/3", "1/0", "a/3", "1/3x", "1 /3", ""})
        EXPECT_FALSE(ParseRunShard(bad, error)) << bad;
    EXPECT_EQ(error,
              "--shard expects I/N with 0 <= I < N (shard I of N, counted from 0), not \"\"");
}

}  // namespace
}  // namespace stillpix
