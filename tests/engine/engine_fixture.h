// One fixture for the engine tests: a simulated machine with the engine library freshly loaded from
// the system directory, as the host loads it. Each Boot() resets the machine and reloads the engine,
// whose on-load code puts the engine's static records back to their load values.
#pragma once

#include <gtest/gtest.h>
#include <simwin/sim.h>

#include <string>
#include <vector>

#include "engine_state.h"

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { Boot(sim::Os::WinXP); }
    void TearDown() override;

    void Boot(sim::Os os, LCID lcid = 0x409);
    void Boot(const sim::Profile& profile);
    void Unload();

    // The engine's resources as the simulation loaded them from the resource scripts.
    static const sim::Image& EngineImage();
    static std::vector<const sim::Resource*> PayloadResources();

    // Message boxes shown since the last Boot, as "caption | text".
    static std::vector<std::string> Boxes();

    HMODULE engine_ = NULL;
};

// OS class the engine must give each profile.
int ExpectedOsClass(sim::Os os);
std::vector<sim::Os> SupportedOs();
std::string Hex(DWORD value);
