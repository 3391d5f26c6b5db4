// Every test plug-in; its compile definitions choose what it gets wrong.
//   QM_PLUGIN_NAME            the library's name; its type 10,QM_PLUGIN_GROUP,0 is "<name> type"
//   QM_PLUGIN_COUNT           what GetNumNodeInterfaces returns
//   QM_NO_GET_NODE_INTERFACE  GetNodeInterface is not exported
//   QM_FACTORY_THROWS         the factory throws from CreateNode
//   QM_SECOND_THROWS          GetNodeInterface(1) throws (otherwise it returns null)
//   QM_SECOND_TAKES_NUMBER    GetNodeInterface(1) describes the standard Number type 10,2,0
//   QM_UNPUBLISHED            offers the unpublished type 10,QM_PLUGIN_GROUP,1 "<name> hidden",
//                             and 10,QM_PLUGIN_GROUP,2 without a creation function
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/LibraryInterface.h"
#include "tests/hostlib/registry/plugins/TestTypes.h"

#define QM_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef QM_FACTORY_THROWS
#define QM_FACTORY_THROWS false
#endif

namespace {

// Its description tells whether the host called OnLoaded.
class TestLibraryInterface final : public LibraryInterface {
public:
    std::string GetName() const override { return QM_PLUGIN_NAME; }
    std::string GetDescription() const override { return m_loaded ? "loaded" : "not loaded"; }
    void OnLoaded() override { m_loaded = true; }
#ifdef QM_UNPUBLISHED
    std::vector<UnpublishedNodeType> GetUnpublishedNodeTypes() const override {
        return {{NodeType(10, QM_PLUGIN_GROUP, 1), QM_PLUGIN_NAME " hidden",
                 []() -> Node* {
                     return new TestNode(NodeType(10, QM_PLUGIN_GROUP, 1),
                                         QM_PLUGIN_NAME " hidden");
                 }},
                {NodeType(10, QM_PLUGIN_GROUP, 2), QM_PLUGIN_NAME " uncreatable", nullptr}};
    }
#endif

private:
    bool m_loaded = false;
};

}  // namespace

QM_EXPORT LibraryInterface* GetLibraryInterface() {
    return new TestLibraryInterface;
}

QM_EXPORT uint64_t GetNumNodeInterfaces() {
    return static_cast<uint64_t>(QM_PLUGIN_COUNT);
}

#ifndef QM_NO_GET_NODE_INTERFACE
QM_EXPORT NodeInterface* GetNodeInterface(uint64_t index) {
    if (index == 0) {
        const NodeType type(10, QM_PLUGIN_GROUP, 0);
        const std::string name = QM_PLUGIN_NAME " type";
        return new TestNodeInterface(type, name,
                                     new TestNodeFactory(type, name, QM_FACTORY_THROWS));
    }
#if defined(QM_SECOND_THROWS)
    throw std::runtime_error("interface table is corrupt");
#elif defined(QM_SECOND_TAKES_NUMBER)
    const NodeType number(10, 2, 0);
    return new TestNodeInterface(number, QM_PLUGIN_NAME " number",
                                 new TestNodeFactory(number, QM_PLUGIN_NAME " number"));
#else
    return nullptr;
#endif
}
#endif
