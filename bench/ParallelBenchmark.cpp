// Pixel work on one thread and on two: the compute-bound standard nodes (Noise, Blur) against
// themselves on one thread; the memory-bound kernels on two threads against a plain loop split
// between two threads; small images against one thread. Wall-clock times, since the work is
// spread over threads: run it on a quiet machine.
#include <benchmark/benchmark.h>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <string>

#include "host/Attribute.h"
#include "host/Blend.h"
#include "host/Engine.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Image.h"
#include "host/ImageOp.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "host/Threads.h"
#include "hostlib/stdnodes/BlurNode.h"
#include "hostlib/stdnodes/NoiseNode.h"

namespace {

constexpr uint32_t kSide = 2048;

void SetNumber(Node* node, const std::string& name, double value) {
    node->GetAttribute(name)->SetNumber(value, false);
}

// Noise -> Blur, each evaluated afresh per iteration.
struct NoiseBlur {
    NoiseBlur() {
        noise = new NoiseNode();
        blur = new BlurNode();
        graph->AddNode(noise);
        graph->AddNode(blur);
        SetNumber(noise, "width", kSide);
        SetNumber(noise, "height", kSide);
        SetNumber(noise, "scale", 37.0);
        SetNumber(blur, "radius", 8.0);
        Engine::Get()->ConnectNodes(noise, 0, blur, blur->FindInplug("image"));
    }
    void Evaluate(Node* node) {
        // A different value each time, so that the node is dirty and computes again.
        ++m_changes;
        if (node == noise) {
            SetNumber(noise, "seed", double(m_changes));
        } else {
            SetNumber(blur, "radius", 8.0 + double(m_changes % 2));
        }
        EvaluateNodeOutplugs evaluation({{node, 0, false}});
        evaluation.EvaluateAll();
    }
    RefPtr<NodeGraph> graph{new NodeGraph};
    NoiseNode* noise;
    BlurNode* blur;
    int m_changes = 0;
};

// range(0): 0 Noise, 1 Blur (its input already computed); range(1): threads.
void Parallel_Node(benchmark::State& state) {
    Threads::SetLimit(int(state.range(1)));
    NoiseBlur nodes;
    nodes.Evaluate(nodes.blur);
    Node* node = state.range(0) == 0 ? static_cast<Node*>(nodes.noise) : nodes.blur;
    for (auto _ : state) {
        nodes.Evaluate(node);
    }
    state.SetLabel(state.range(0) == 0 ? "noise" : "blur");
    Threads::SetLimit(0);
}

enum Kernel { kMixAdd, kOver, kMultiply, kCopy, kNumKernels };
const char* const kKernelNames[] = {"mix_add", "blend_over", "multiply", "copy"};

struct Images {
    explicit Images(uint32_t side)
        : background(side, side, 1, Image::Uninitialised{}),
          foreground(side, side, 1, Image::Uninitialised{}),
          out(side, side, 1, Image::Uninitialised{}) {
        for (size_t i = 0; i < background.GetNumFloats(); ++i) {
            background.GetData()[i] = float(i % 251) / 251.0f;
            foreground.GetData()[i] = float(i % 241) / 241.0f;
        }
    }
    Image background;
    Image foreground;
    Image out;
};

// Read at run time, so that the compiler cannot fold the scaling away.
volatile float g_factor = 1.0f;

RefPtr<Image> HostKernel(int kernel, Images& images) {
    switch (kernel) {
        case kMixAdd:
            return RefPtr<Image>(
                ImageOp::MixBgFgImages(&images.background, &images.foreground, "add"));
        case kOver:
            return RefPtr<Image>(
                Blend(&images.background, &images.foreground, nullptr, kBlendOver, 0, 1.0f, 1.0f));
        case kMultiply:
            ImageOp::Multiply(&images.out, g_factor);
            return {};
        default:
            return RefPtr<Image>(new Image(images.background));
    }
}

// range(0): kernel; range(1): threads.
void Parallel_Kernel(benchmark::State& state) {
    Threads::SetLimit(int(state.range(1)));
    Images images(kSide);
    for (auto _ : state) {
        RefPtr<Image> out = HostKernel(int(state.range(0)), images);
        benchmark::DoNotOptimize(out.Get());
        benchmark::ClobberMemory();
    }
    state.SetLabel(kKernelNames[state.range(0)]);
    Threads::SetLimit(0);
}

// One plain loop per kernel, the choice made outside the loop so that each vectorises.
template <int K>
void FloorPass(float* __restrict o, const float* __restrict b, const float* __restrict f,
               size_t begin, size_t end, float factor) {
    for (size_t i = begin; i < end; ++i) {
        if constexpr (K == kMixAdd) {
            o[i] = b[i] + f[i];
        } else if constexpr (K == kOver) {
            o[i] = f[i] + b[i] * (1.0f - f[i | 3]);
        } else if constexpr (K == kMultiply) {
            o[i] *= factor;
        } else {
            o[i] = b[i];
        }
    }
}

template <int K>
void FloorLoop(benchmark::State& state) {
    Images images(kSide);
    const float* b = images.background.GetData();
    const float* f = images.foreground.GetData();
    float* out = images.out.GetData();
    const size_t floats = images.out.GetNumFloats();
    const float factor = g_factor;
    for (auto _ : state) {
        // Each half of the buffer on one of two threads, into a preallocated output.
        tbb::parallel_for(
            tbb::blocked_range<size_t>(0, floats, floats / 2),
            [&](const tbb::blocked_range<size_t>& range) {
                FloorPass<K>(out, b, f, range.begin(), range.end(), factor);
            },
            tbb::simple_partitioner());
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetLabel(kKernelNames[K]);
}

// range(0): kernel.
void Parallel_Floor(benchmark::State& state) {
    switch (state.range(0)) {
        case kMixAdd:
            FloorLoop<kMixAdd>(state);
            break;
        case kOver:
            FloorLoop<kOver>(state);
            break;
        case kMultiply:
            FloorLoop<kMultiply>(state);
            break;
        default:
            FloorLoop<kCopy>(state);
    }
}

// range(0): side of a small image; range(1): threads.
void Small_Kernel(benchmark::State& state) {
    Threads::SetLimit(int(state.range(1)));
    Images images(uint32_t(state.range(0)));
    for (auto _ : state) {
        RefPtr<Image> out = HostKernel(kMixAdd, images);
        benchmark::DoNotOptimize(out.Get());
    }
    Threads::SetLimit(0);
}

}  // namespace

BENCHMARK(Parallel_Node)
    ->ArgsProduct({{0, 1}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Parallel_Kernel)
    ->ArgsProduct({{kMixAdd, kOver, kMultiply, kCopy}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Parallel_Floor)
    ->DenseRange(0, kNumKernels - 1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Small_Kernel)->ArgsProduct({{16, 64}, {1, 2}})->UseRealTime();

BENCHMARK_MAIN();
