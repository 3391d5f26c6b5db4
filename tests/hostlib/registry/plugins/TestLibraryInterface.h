#pragma once

#include <string>
#include <utility>

#include "host/LibraryInterface.h"

// Its description tells whether the host called OnLoaded.
class TestLibraryInterface : public LibraryInterface {
public:
    explicit TestLibraryInterface(std::string name) : m_name(std::move(name)) {}

    std::string GetName() const override { return m_name; }
    std::string GetDescription() const override { return m_loaded ? "loaded" : "not loaded"; }
    void OnLoaded() override { m_loaded = true; }

private:
    std::string m_name;
    bool m_loaded = false;
};
