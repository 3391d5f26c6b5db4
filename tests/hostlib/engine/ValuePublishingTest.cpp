#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/hostlib/engine/EngineTest.h"

namespace {

// Point and frame outplugs whose every component is the node's run number, so that a copy
// mixing two stores has unequal components.
class ScalarsNode : public Node {
public:
    ScalarsNode() {
        m_outplug_declarations = {{0, Value::Point, "point", 0}, {1, Value::Frame, "frame", 0}};
        UpdateInplugsAndOutplugs();
    }
    NodeType GetNodeType() const override { return NodeType(99, 0, 2); }
    std::string GetTypeName() const override { return "Scalars"; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}
    Point GetPointValue(uint32_t) override { return {m_run, m_run}; }
    Frame GetFrameValue(uint32_t) override { return {m_run, m_run, m_run, m_run}; }

    double m_run = 0.0;
};

// The run number a copy holds, or -1 when its components disagree.
double RunOf(const Node::Value& value) {
    const double x = value.m_point.x;
    switch (value.m_type) {
        case Node::Value::Point:
            return value.m_point.y == x ? x : -1.0;
        case Node::Value::Frame: {
            const Frame& f = value.m_frame;
            return f.x == f.y && f.y == f.width && f.width == f.height ? f.x : -1.0;
        }
        default:
            return 0.0;  // nothing stored yet
    }
}

}  // namespace

// Scalars are stored without the lock: a reader on another thread must still never see half of one
// store and half of the next, nor an older run after a newer one.
TEST(ValuePublishingTest, ReadersOnAnotherThreadSeeWholeStoresInOrder) {
    constexpr int kRuns = 50000;
    RefPtr<ScalarsNode> node = new ScalarsNode();
    std::atomic<bool> reading{false};
    std::atomic<bool> done{false};
    int torn = 0;
    int backwards = 0;
    int reads = 0;
    std::thread reader([&] {
        double last[2] = {0.0, 0.0};
        while (!done.load(std::memory_order_acquire)) {
            for (uint32_t k = 0; k < 2; ++k) {
                const double run = RunOf(node->LockValue(k));
                torn += run < 0.0;
                backwards += run >= 0.0 && run < last[k];
                last[k] = std::max(last[k], run);
                ++reads;
            }
            reading.store(true, std::memory_order_release);
        }
    });
    // On a busy machine the reader may start late: the stores must not all be over by then.
    while (!reading.load(std::memory_order_acquire)) {
        std::this_thread::yield();
    }
    for (int run = 1; run <= kRuns; ++run) {
        node->m_run = run;
        node->SetDirtyAllOutplugs();
        EvaluateNodeOutplugs({{node.Get(), 0}, {node.Get(), 1}}).EvaluateAll();
    }
    done.store(true, std::memory_order_release);
    reader.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(backwards, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(RunOf(node->LockValue(1)), double(kRuns));
    EXPECT_EQ(node->GetNumValueLocks(), 0u);
}
