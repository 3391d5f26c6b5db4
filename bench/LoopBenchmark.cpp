// Loop overhead: a chain of ten Math nodes between a Number IO input and output of one name, run
// 100,000 times by a Node Graph node, against the same ten nodes' EvaluateOutplug called directly
// with prebuilt inplug values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ProjectRunner.h"

namespace {

const NodeType kNumberIo{10, 1, 26};
const NodeType kMath{10, 2, 1};
constexpr int kChainLength = 10;
constexpr int kRuns = 100000;
constexpr double kStep = 1.0;
// Each run adds kStep per node to the value fed back from the previous run.
constexpr double kExpected = double(kChainLength) * kStep * kRuns;

struct Chain {
    RefPtr<NodeGraph> m_graph{new NodeGraph};
    std::vector<Node*> m_math;
    std::string m_path;
};

Node* Create(NodeGraph& graph, const NodeType& type, const std::string& name) {
    Node* node = graph.CreateNode(type);
    if (!node) {
        std::fprintf(stderr, "benchmark setup: node type %s missing\n", type.ToString().c_str());
        std::exit(2);
    }
    node->SetName(name);
    return node;
}

void Connect(NodeGraph& graph, Node* from, const std::string& outplug, Node* to,
             const std::string& inplug) {
    if (!graph.ConnectNodes(from, outplug, 0, to, inplug, 0)) {
        std::fprintf(stderr, "benchmark setup: cannot connect %s to %s\n", from->GetName().c_str(),
                     to->GetName().c_str());
        std::exit(2);
    }
}

// Built once: the project file and the graph it was written from, whose Math nodes the floor calls.
Chain& GetChain() {
    static Chain chain = [] {
        Chain made;
        ProjectRunner runner;  // loads the plug-ins
        NodeGraph& graph = *made.m_graph;
        Node* input = Create(graph, kNumberIo, "x");
        Node* previous = input;
        for (int k = 0; k < kChainLength; ++k) {
            Node* math = Create(graph, kMath, "add" + std::to_string(k));
            math->GetAttribute("b")->SetNumber(kStep, false);
            Connect(graph, previous, "number", math, "a");
            made.m_math.push_back(math);
            previous = math;
        }
        Node* output = Create(graph, kNumberIo, "x");
        Connect(graph, previous, "number", output, "number");
        made.m_path = ProjectRunner::WriteProject(graph, "chain");
        return made;
    }();
    return chain;
}

void Loop_NodeGraph(benchmark::State& state) {
    ProjectRunner runner;
    std::string error;
    if (!runner.Read(GetChain().m_path, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    runner.SetIterations(kRuns);
    for (auto _ : state) {
        runner.Request();
    }
    if (runner.GetNode().GetNumberValue(0) != kExpected) {
        state.SkipWithError("wrong result");
    }
    state.SetItemsProcessed(state.iterations() * kRuns);
}

void Loop_Floor(benchmark::State& state) {
    const std::vector<Node*>& math = GetChain().m_math;
    Node::Value operation;
    operation.m_type = Node::Value::String;
    operation.m_string = "add";
    Node::Value b;
    b.m_type = Node::Value::Number;
    b.m_number = kStep;
    // links[k] feeds node k; links[kChainLength] is the chain's result.
    std::vector<Node::Value> links(kChainLength + 1);
    std::vector<std::vector<const Node::Value*>> inplugs;
    for (int k = 0; k < kChainLength; ++k) {
        links[k].m_type = Node::Value::Number;
        inplugs.push_back({&operation, &links[k], &b});
    }
    double result = 0.0;
    for (auto _ : state) {
        double fed = 0.0;
        for (int run = 0; run < kRuns; ++run) {
            links[0].m_number = fed;
            for (int k = 0; k < kChainLength; ++k) {
                math[k]->EvaluateOutplug(0, inplugs[k]);
                links[k + 1].m_number = math[k]->GetNumberValue(0);
            }
            fed = links[kChainLength].m_number;
        }
        result = fed;
        benchmark::DoNotOptimize(result);
    }
    if (result != kExpected) {
        state.SkipWithError("wrong result");
    }
    state.SetItemsProcessed(state.iterations() * kRuns);
}

}  // namespace

BENCHMARK(Loop_NodeGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(Loop_Floor)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
