// Decoding bodies of guide-like content against bare zlib inflate of the same
// stream, and descrambling alone. Prints the ratios after the usual table.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include "DecodeBody.h"
#include "Descramble.h"
#include "SampleContent.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const std::string &text) {
    return Bytes(text.begin(), text.end());
}

// A body of about bodySize bytes and the stream inside it.
struct Sample {
    Bytes stream;
    Bytes body;
    size_t plainSize;
};

const Sample &SampleOf(size_t bodySize) {
    static std::map<size_t, Sample> samples;
    auto found = samples.find(bodySize);
    if (found != samples.end())
        return found->second;
    const size_t probe = 1 << 20;
    double ratio = double(probe) / double(Compressed(GuideText(probe, 1)).size());
    Sample sample;
    sample.plainSize = size_t(double(bodySize) * ratio);
    std::string stream = Compressed(GuideText(sample.plainSize, 2));
    sample.stream = ToBytes(stream);
    sample.body = ToBytes(Scrambled(stream));
    return samples[bodySize] = sample;
}

void Decode(benchmark::State &state) {
    const Sample &sample = SampleOf(size_t(state.range(0)));
    const FileKind &kind = *GetFileKind(2);
    Bytes body(sample.body.size());
    Bytes output(DecodeBufferSize(kind, body.size()));
    for (auto _ : state) {
        // The decoder works in place: every round starts from the received bytes.
        std::memcpy(body.data(), sample.body.data(), body.size());
        DecodedContent content;
        DecodeStatus status =
            DecodeBody(kind, body.data(), body.size(), output.data(), output.size(), &content);
        if (status != DecodeStatus::Ok || content.size != sample.plainSize)
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(content);
    }
    state.counters["body"] = double(body.size());
    state.counters["content"] = double(sample.plainSize);
}

void Uncompress(benchmark::State &state) {
    const Sample &sample = SampleOf(size_t(state.range(0)));
    Bytes output(10 * sample.stream.size());
    for (auto _ : state) {
        uLongf produced = uLongf(output.size());
        if (uncompress(output.data(), &produced, sample.stream.data(),
                       uLong(sample.stream.size())) != Z_OK)
            state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(produced);
    }
}

void Descramble(benchmark::State &state) {
    Bytes data = ToBytes(RandomBytes(size_t(state.range(0)), 3));
    for (auto _ : state) {
        DescrambleBody(data.data(), data.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

BENCHMARK(Decode)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(Uncompress)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(Descramble)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

// Keeps the CPU time of every run (the median when runs are repeated): on a
// machine shared with builds it varies less than the wall-clock time.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                double seconds =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                if (median || !seconds_.count(run.run_name.str()))
                    seconds_[run.run_name.str()] = seconds;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const {
        std::printf("\nDecoding / bare uncompress (target at most 1.10 for 64 KiB and 1 MiB):\n");
        for (long size : {4L << 10, 64L << 10, 1L << 20}) {
            std::string arg = "/" + std::to_string(size);
            auto decode = seconds_.find("Decode" + arg);
            auto bare = seconds_.find("Uncompress" + arg);
            if (decode != seconds_.end() && bare != seconds_.end())
                std::printf("  body %7ld bytes: %.3f\n", long(SampleOf(size_t(size)).body.size()),
                            decode->second / bare->second);
        }
        std::printf("Descrambling (target at least 1 GB/s):\n");
        for (long size : {64L << 10, 1L << 20}) {
            auto found = seconds_.find("Descramble/" + std::to_string(size));
            if (found != seconds_.end())
                std::printf("  %7ld bytes: %.2f GB/s\n", size, double(size) / found->second / 1e9);
        }
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
