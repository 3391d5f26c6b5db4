#include "host/Manager.h"

#include <QSettings>
#include <QString>

#include "host/Node.h"

namespace {
// Remembered directories survive the process in the user's settings, under this group.
QString SettingsKey(const std::string& key) {
    return QStringLiteral("Directories/") + QString::fromStdString(key);
}
}  // namespace

Manager* Manager::Get() {
    static Manager* const manager = new Manager;
    return manager;
}

std::string Manager::GetDirectory(const std::string& key) const {
    const auto found = m_directories.find(key);
    if (found != m_directories.end()) {
        return found->second;
    }
    if (key.empty()) {
        return {};
    }
    const QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("Quillmar"));
    return settings.value(SettingsKey(key)).toString().toStdString();
}

void Manager::SetDirectory(const std::string& key, const std::string& directory) {
    m_directories[key] = directory;
    if (key.empty()) {
        return;  // not a valid settings key; kept for this run only
    }
    QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("Quillmar"));
    settings.setValue(SettingsKey(key), QString::fromStdString(directory));
}

void Manager::SetDisplayNode(Node* node, uint32_t outplug) {
    m_display_node = node;
    m_display_outplug = outplug;
}
