// launcherPanel.h -- the launcher's screen on the shipped font, with a
// settings folder of its own and actions that only count.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gui/guiBuild.h"
#include "gui/swrender.h"
#include "launcher/launcherScreen.h"
#include "shell/paths.h"
#include "shell/settings.h"
#include "tests/test_util.h"

struct FakeActions final : LauncherActions {
    bool startWorks = true, browserWorks = true;
    int starts = 0, pages = 0, closes = 0;
    bool startGame(std::string* error) override
    {
        starts++;
        if (!startWorks) *error = "Permission denied";
        return startWorks;
    }
    bool openWebPage(std::string* error) override
    {
        pages++;
        if (!browserWorks) *error = "No such file or directory";
        return browserWorks;
    }
    void close() override { closes++; }
};

struct LauncherPanel : ::testing::Test {
    TempDir config;
    SoftwareGuiRenderer renderer;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(640 * 480);
    LauncherScreen panel;
    LauncherSettings settings;
    FakeActions actions;
    GuiScreen* screen = nullptr;

    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
        setProgramDirectory((binDir() + "/").c_str());
        renderer.setFont(renderer.loadFont("font.tga"));
        renderer.setBuffer(pixels.data(), 640 * 4, 640, 480);
        registerStandardBehaviours();
    }
    void open()
    {
        settings = readLauncherSettings();
        panel = buildLauncherScreen(renderer.unit());
        screen = new GuiScreen(&renderer, panel.root, LAUNCHER_REF_WIDTH, LAUNCHER_REF_HEIGHT);
        LauncherHandler::instance.screen = &panel;
        LauncherHandler::instance.settings = &settings;
        LauncherHandler::instance.actions = &actions;
        addHandler(panel.root, &LauncherHandler::instance, -1);
        refreshOptionTexts(panel, settings);
    }
    void TearDown() override
    {
        delete screen;
        unsetenv("XDG_CONFIG_HOME");
    }
    // A click as a button sends it: from the button, bubbling to the root.
    void command(int id)
    {
        GuiCommandEvent ev(id, 1, panel.root);
        GuiElem* from = id >= CMD_TOGGLE_FULLSCREEN ? panel.options[id - CMD_TOGGLE_FULLSCREEN] : panel.root;
        dispatch(&ev, from, GUIDISPATCH_BUBBLE, nullptr);
    }
    std::string text(int option) { return findByName(panel.options[option], ".normal")->text.c_str(); }
    bool stored(uint32_t* flags) { return readSettingDword("flags", flags); }
};
