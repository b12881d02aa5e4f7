// launcherPanel.h -- the launcher's screen on the shipped font, with a
// settings folder of its own and actions that only count.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/guiBuild.h"
#include "gui/swrender.h"
#include "gui/textField.h"
#include "launcher/launcherScreen.h"
#include "shell/paths.h"
#include "shell/settings.h"
#include "tests/test_util.h"

struct FakeActions final : LauncherActions {
    bool startWorks = true, browserWorks = true;
    int starts = 0, pages = 0, closes = 0;
    std::vector<std::string> lastArgs;
    bool startGame(const std::vector<std::string>& args, std::string* error) override
    {
        starts++;
        lastArgs = args;
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
    std::vector<uint32_t> pixels = std::vector<uint32_t>(864 * 560);
    LauncherScreen panel;
    LauncherSettings settings;
    FakeActions actions;
    GuiScreen* screen = nullptr;

    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
        setProgramDirectory((binDir() + "/").c_str());
        renderer.setFont(renderer.loadFont("font.tga"));
        renderer.setBuffer(pixels.data(), 864 * 4, 864, 560);
        registerStandardBehaviours();
    }
    void open()
    {
        settings = readLauncherSettings();
        panel = buildLauncherScreen(renderer.unit());
        screen = new TextInputScreen(&renderer, panel.root, LAUNCHER_REF_WIDTH, LAUNCHER_REF_HEIGHT);
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
        bool option = id >= CMD_TOGGLE_FULLSCREEN && id <= CMD_TOGGLE_VOXELS;
        GuiElem* from = option ? panel.options[id - CMD_TOGGLE_FULLSCREEN] : panel.root;
        dispatch(&ev, from, GUIDISPATCH_BUBBLE, nullptr);
    }
    std::string text(int option) { return findByName(panel.options[option], ".normal")->text.c_str(); }
    bool stored(uint32_t* flags) { return readSettingDword("flags", flags); }
    // Types into the seed field as the keyboard would.
    void type(const char* keys)
    {
        TextFieldHandler* field = textFieldOf(panel.seed);
        field->takeKeyboard();
        for (const char* k = keys; *k; k++) {
            InputEvent in;
            in.kind = IEV_KEY_DOWN;
            in.code = *k == '\b' ? VK_BACK : toupper((unsigned char)*k);
            in.character = *k == '\b' ? 8 : *k;
            GuiInputEvent ev(in);
            ev.kind = GUIEV_KEY;
            dispatch(&ev, panel.seed, GUIDISPATCH_DIRECT, nullptr);
        }
        field->releaseKeyboard();
    }
};
