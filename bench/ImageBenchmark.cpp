// Image loop actions: a project whose 2048x2048 output is combined over 20 runs, against plain
// loops doing the same passes on preallocated buffers; each image kernel against a plain loop on
// the same buffers; and the peak memory of 20 against 200 runs. All on one thread, as the floors
// run: bench_parallel measures the threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/ProjectRunner.h"
#include "host/Blend.h"
#include "host/Image.h"
#include "host/ImageOp.h"
#include "host/Rgbo.h"
#include "host/Threads.h"

namespace {

const bool kOneThread = (Threads::SetLimit(1), true);

const NodeType kImageIo{10, 1, 53};
const NodeType kSolid{10, 3, 0};
constexpr uint32_t kSide = 2048;
constexpr size_t kFloats = size_t(kSide) * kSide * Image::kChannels;
constexpr double kImageBytes = double(kFloats) * sizeof(float);
constexpr int kRuns = 20;
const Rgbo kColor{0.5, 0.25, 0.125, 0.5};

// In the order of the Image IO node's loop action choices.
enum Action { kReplace, kCompOver, kAddition, kAverage, kMinimum, kMaximum, kNumActions };
const char* const kActionNames[] = {"replace", "comp_over", "addition",
                                    "average", "minimum",   "maximum"};

// Solid -> Image IO output with the loop action, written once per action.
const std::string& ProjectPath(int action) {
    static std::vector<std::string> paths = [] {
        ProjectRunner runner;  // loads the plug-ins
        std::vector<std::string> written;
        for (int a = 0; a < kNumActions; ++a) {
            RefPtr<NodeGraph> graph(new NodeGraph);
            Node* solid = graph->CreateNode(kSolid);
            Node* output = graph->CreateNode(kImageIo);
            if (!solid || !output) {
                std::fprintf(stderr, "benchmark setup: Solid or Image IO node type missing\n");
                std::exit(2);
            }
            output->SetName("image");
            output->GetAttribute("loop_action")->SetChoiceIndex(a, false);
            solid->GetAttribute("width")->SetNumber(kSide, false);
            solid->GetAttribute("height")->SetNumber(kSide, false);
            solid->GetAttribute("color")->SetRgbo(kColor, false);
            graph->ConnectNodes(solid, "image", 0, output, "image", 0);
            written.push_back(ProjectRunner::WriteProject(*graph, kActionNames[a]));
        }
        return written;
    }();
    return paths[size_t(action)];
}

// Bytes read plus written by the passes a request logically needs: per run the inner image is
// made (one write) and copied (a read and a write); from the second run on it is combined into
// the result (two reads, one write), except for replace; average and addition end with one
// in-place pass over the result.
double LogicalBytes(int action, int runs) {
    double images = 3.0 * runs;
    if (action != kReplace) {
        images += 3.0 * (runs - 1);
    }
    if (action == kAverage || action == kAddition) {
        images += 2.0;
    }
    return images * kImageBytes;
}

struct Buffers {
    float* Allocate() {
        m_owned.emplace_back(kFloats);
        return m_owned.back().data();
    }
    std::vector<std::vector<float>> m_owned;
};

// ---- Plain loops ----

void PlainFill(float* __restrict data, const Rgbo& color) {
    const float r = float(color.r), g = float(color.g), b = float(color.b), a = float(color.o);
    for (size_t i = 0; i < kFloats; i += 4) {
        data[i] = r;
        data[i + 1] = g;
        data[i + 2] = b;
        data[i + 3] = a;
    }
}

void PlainCopy(float* __restrict out, const float* __restrict in) {
    for (size_t i = 0; i < kFloats; ++i) {
        out[i] = in[i];
    }
}

template <typename Op>
void PlainMix(float* __restrict out, const float* __restrict b, const float* __restrict f, Op op) {
    for (size_t i = 0; i < kFloats; ++i) {
        out[i] = op(b[i], f[i]);
    }
}

template <typename Op>
void PlainMixInPlace(float* __restrict result, const float* __restrict f, Op op) {
    for (size_t i = 0; i < kFloats; ++i) {
        result[i] = op(result[i], f[i]);
    }
}

// Straight-alpha over with opacity 1, the same arithmetic as the host's.
inline void OverPixel(float* out, const float* b, const float* f) {
    const float fa = f[3];
    const float bw = b[3] * (1.0f - fa);
    const float alpha = fa + bw;
    const float scale = alpha == 0.0f ? 0.0f : 1.0f / alpha;
    out[0] = (f[0] * fa + b[0] * bw) * scale;
    out[1] = (f[1] * fa + b[1] * bw) * scale;
    out[2] = (f[2] * fa + b[2] * bw) * scale;
    out[3] = alpha;
}

void PlainOver(float* __restrict out, const float* __restrict b, const float* __restrict f) {
    for (size_t i = 0; i < kFloats; i += 4) {
        OverPixel(out + i, b + i, f + i);
    }
}

void PlainOverInPlace(float* __restrict result, const float* __restrict f) {
    for (size_t i = 0; i < kFloats; i += 4) {
        OverPixel(result + i, result + i, f + i);
    }
}

void PlainScale(float* __restrict data, float factor) {
    for (size_t i = 0; i < kFloats; ++i) {
        data[i] *= factor;
    }
}

void PlainClamp(float* __restrict data) {
    for (size_t i = 0; i < kFloats; ++i) {
        const float low = data[i] > 0.0f ? data[i] : 0.0f;
        data[i] = low < 1.0f ? low : 1.0f;
    }
}

const auto kAdd = [](float b, float f) { return b + f; };
const auto kMin = [](float b, float f) { return std::min(b, f); };
const auto kMax = [](float b, float f) { return std::max(b, f); };

// Pixels in [0, 1] with varying alpha, different for each seed.
void FillPattern(float* data, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1u;
    for (size_t i = 0; i < kFloats; ++i) {
        state = state * 1664525u + 1013904223u;
        data[i] = float(state >> 8) / float(1u << 24);
    }
}

Image PatternImage(uint32_t seed) {
    Image image(kSide, kSide, 1, Image::Uninitialised{});
    FillPattern(image.GetData(), seed);
    return image;
}

// ---- Whole requests ----

void ImageLoop_NodeGraph(benchmark::State& state) {
    const int action = int(state.range(0));
    ProjectRunner runner;
    std::string error;
    if (!runner.Read(ProjectPath(action), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    runner.SetIterations(kRuns);
    // The first request faults its buffers in; later ones reuse them, as a host's would.
    runner.Request();
    for (auto _ : state) {
        runner.Request();
    }
    const Image* result = runner.GetNode().GetImageValue(0);
    if (!result || result->GetWidth() != kSide || result->GetHeight() != kSide) {
        state.SkipWithError("no 2048x2048 result");
    }
    state.SetLabel(kActionNames[action]);
    state.SetBytesProcessed(int64_t(LogicalBytes(action, kRuns) * double(state.iterations())));
}

void ImageLoop_Floor(benchmark::State& state) {
    const int action = int(state.range(0));
    Buffers buffers;
    float* solid = buffers.Allocate();
    float* copy = buffers.Allocate();
    float* result = buffers.Allocate();
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            PlainFill(solid, kColor);
            PlainCopy(copy, solid);
            if (run == 0 || action == kReplace) {
                std::swap(result, copy);  // the result takes the run's copy
                continue;
            }
            switch (action) {
                case kCompOver:
                    PlainOverInPlace(result, copy);
                    break;
                case kMinimum:
                    PlainMixInPlace(result, copy, kMin);
                    break;
                case kMaximum:
                    PlainMixInPlace(result, copy, kMax);
                    break;
                default:
                    PlainMixInPlace(result, copy, kAdd);
                    break;
            }
        }
        if (action == kAverage) {
            PlainScale(result, 1.0f / float(kRuns));
        } else if (action == kAddition) {
            PlainClamp(result);
        }
        benchmark::DoNotOptimize(result[kFloats - 1]);
    }
    state.SetLabel(kActionNames[action]);
    state.SetBytesProcessed(int64_t(LogicalBytes(action, kRuns) * double(state.iterations())));
}

// ---- Kernels: the host's call against a plain loop on the same buffers ----

enum Kernel {
    kKernelAdd,
    kKernelMin,
    kKernelMax,
    kKernelOver,
    kKernelMultiply,
    kKernelClamp,
    kKernelCopy,
    kNumKernels
};
const char* const kKernelNames[] = {"mix_add",  "mix_min", "mix_max", "blend_over",
                                    "multiply", "clamp",   "copy"};

double KernelBytes(int kernel) {
    return (kernel <= kKernelOver ? 3.0 : 2.0) * kImageBytes;
}

struct KernelImages {
    KernelImages() : m_background(PatternImage(1)), m_foreground(PatternImage(2)) {}
    Image m_background;
    Image m_foreground;
    Image m_out{kSide, kSide, 1, Image::Uninitialised{}};
};

// Read at run time, so that the compiler cannot fold the scaling away.
volatile float g_factor = 1.0f;

void Kernel_Host(benchmark::State& state) {
    const int kernel = int(state.range(0));
    KernelImages images;
    const Image* b = &images.m_background;
    const Image* f = &images.m_foreground;
    const float factor = g_factor;
    for (auto _ : state) {
        RefPtr<Image> out;
        switch (kernel) {
            case kKernelAdd:
                out = ImageOp::MixBgFgImages(b, f, "add");
                break;
            case kKernelMin:
                out = ImageOp::MixBgFgImages(b, f, "min");
                break;
            case kKernelMax:
                out = ImageOp::MixBgFgImages(b, f, "max");
                break;
            case kKernelOver:
                out = Blend(b, f, nullptr, kBlendOver, 0, 1.0f, 1.0f);
                break;
            case kKernelMultiply:
                ImageOp::Multiply(&images.m_out, factor);
                break;
            case kKernelClamp:
                ImageOp::Clamp(&images.m_out);
                break;
            case kKernelCopy:
                out = new Image(*b);
                break;
        }
        benchmark::DoNotOptimize(out.Get());
        benchmark::ClobberMemory();
    }
    state.SetLabel(kKernelNames[kernel]);
    state.SetBytesProcessed(int64_t(KernelBytes(kernel) * double(state.iterations())));
}

void Kernel_Plain(benchmark::State& state) {
    const int kernel = int(state.range(0));
    KernelImages images;
    const float* b = images.m_background.GetData();
    const float* f = images.m_foreground.GetData();
    float* out = images.m_out.GetData();
    const float factor = g_factor;
    for (auto _ : state) {
        switch (kernel) {
            case kKernelAdd:
                PlainMix(out, b, f, kAdd);
                break;
            case kKernelMin:
                PlainMix(out, b, f, kMin);
                break;
            case kKernelMax:
                PlainMix(out, b, f, kMax);
                break;
            case kKernelOver:
                PlainOver(out, b, f);
                break;
            case kKernelMultiply:
                PlainScale(out, factor);
                break;
            case kKernelClamp:
                PlainClamp(out);
                break;
            case kKernelCopy:
                PlainCopy(out, b);
                break;
        }
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetLabel(kKernelNames[kernel]);
    state.SetBytesProcessed(int64_t(KernelBytes(kernel) * double(state.iterations())));
}

// ---- Memory ----

// Peak resident size since the last reset, in MiB; resets it for the next measurement.
double TakePeakMiB() {
    double peak_kib = 0.0;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            peak_kib = std::atof(line.c_str() + 6);
        }
    }
    std::ofstream("/proc/self/clear_refs") << "5";
    return peak_kib / 1024.0;
}

// The peak of one request with the average action, whose result is combined and scaled.
void Memory_Peak(benchmark::State& state) {
    ProjectRunner runner;
    std::string error;
    if (!runner.Read(ProjectPath(kAverage), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    runner.SetIterations(double(state.range(0)));
    double peak = 0.0;
    for (auto _ : state) {
        TakePeakMiB();
        runner.Request();
        peak = TakePeakMiB();
    }
    state.counters["peak_mib"] = peak;
}

}  // namespace

BENCHMARK(ImageLoop_NodeGraph)->DenseRange(0, kNumActions - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(ImageLoop_Floor)->DenseRange(0, kNumActions - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(Kernel_Host)->DenseRange(0, kNumKernels - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(Kernel_Plain)->DenseRange(0, kNumKernels - 1)->Unit(benchmark::kMillisecond);
// Measured in a program run of its own (bench/run.py does), 20 runs first.
BENCHMARK(Memory_Peak)->Arg(20)->Arg(200)->Iterations(1)->Repetitions(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
