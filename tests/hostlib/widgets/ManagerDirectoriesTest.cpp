#include "host/Manager.h"

#include <QSettings>

#include <gtest/gtest.h>

TEST(ManagerDirectories, PersistThroughTheSettingsBothWays) {
    QSettings settings("Quillmar", "Quillmar");
    // Keys of this test only: other test programs share the folder and may run at the same time.
    for (const char* key : {"Widgets Projects", "Widgets Earlier Run"}) {
        settings.remove(QStringLiteral("Directories/") + key);
    }
    settings.sync();

    Manager* manager = Manager::Get();
    manager->SetDirectory("Widgets Projects", "/data/projects");
    {
        QSettings other("Quillmar", "Quillmar");
        EXPECT_EQ(other.value("Directories/Widgets Projects").toString(), "/data/projects");
        // As a later run would have found it: a key this process never set.
        other.setValue("Directories/Widgets Earlier Run", "/srv/earlier");
    }
    EXPECT_EQ(manager->GetDirectory("Widgets Earlier Run"), "/srv/earlier");
    manager->SetDirectory("", "/nowhere");  // no settings key; remembered for this run only
    EXPECT_EQ(manager->GetDirectory(""), "/nowhere");
}
