#include "platform/sdl/TweakBarWindow.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"

namespace platform::sdl {
namespace {

constexpr const char* kGlslVersion = "#version 330 core";

// Two whole numbers from a parameter such as "1070 10"; false when it holds no such pair.
bool Pair(const std::map<std::string, std::string>& params, const char* key, ImVec2* out) {
    auto it = params.find(key);
    int a = 0, b = 0;
    if (it == params.end() || std::sscanf(it->second.c_str(), "%d %d", &a, &b) != 2) return false;
    *out = ImVec2(static_cast<float>(a), static_cast<float>(b));
    return true;
}

std::string Param(const std::map<std::string, std::string>& params, const char* key, const std::string& otherwise) {
    auto it = params.find(key);
    return it == params.end() || it->second.empty() ? otherwise : it->second;
}

bool IsPress(const SDL_Event& event) { return event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEWHEEL; }

bool IsTyping(const SDL_Event& event) { return event.type == SDL_KEYDOWN || event.type == SDL_TEXTINPUT; }

bool IsKey(const SDL_Event& event) { return event.type == SDL_KEYDOWN || event.type == SDL_KEYUP; }

// Every text field of a bar is at least this wide, however long the labels.
constexpr float kNarrowestField = 60.0f;

// The widest label of the bar's variables.
float WidestLabel(const std::vector<platform::tweak::ItemInfo>& items) {
    float widest = 0.0f;
    for (const platform::tweak::ItemInfo& item : items)
        if (item.kind == platform::tweak::ItemKind::kVariable)
            widest =
                std::max(widest, ImGui::CalcTextSize(Param(item.params, "label", item.name).c_str(), nullptr, true).x);
    return widest;
}

}  // namespace

TweakBarWindow::TweakBarWindow(SDL_Window* window) : window_(window) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;                                // the bars' places come from the program, not from a file
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;  // the engine shows and hides the pointer
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForOpenGL(window_, SDL_GL_GetCurrentContext());
    ImGui_ImplOpenGL3_Init(kGlslVersion);
}

TweakBarWindow::~TweakBarWindow() {
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
}

void TweakBarWindow::PassKey(const SDL_Event& event) {
    const SDL_Scancode key = event.key.keysym.scancode;
    if (!heldKeys_.empty() || !keysChanged_.insert(key).second) {
        heldKeys_.push_back(event);
        return;
    }
    ImGui_ImplSDL2_ProcessEvent(&event);
}

void TweakBarWindow::PassHeldKeys() {
    keysChanged_.clear();
    std::vector<SDL_Event> held;
    held.swap(heldKeys_);
    for (const SDL_Event& event : held) PassKey(event);
}

bool TweakBarWindow::TakeEvent(const SDL_Event& event) {
    if (IsKey(event))
        PassKey(event);
    else
        ImGui_ImplSDL2_ProcessEvent(&event);
    if (event.type == SDL_MOUSEMOTION) {
        pointer_[0] = static_cast<float>(event.motion.x);
        pointer_[1] = static_cast<float>(event.motion.y);
        pointerSeen_ = true;
    }
    if (barsShown_ == 0) return false;
    const ImGuiIO& io = ImGui::GetIO();
    return (IsPress(event) && io.WantCaptureMouse) || (IsTyping(event) && io.WantTextInput);
}

void TweakBarWindow::ContextLost() { ImGui_ImplOpenGL3_Shutdown(); }

void TweakBarWindow::ContextRestored() { ImGui_ImplOpenGL3_Init(kGlslVersion); }

void TweakBarWindow::Draw() {
    namespace tw = platform::tweak;
    barsShown_ = 0;
    struct Shown {
        std::string title;
        tw::Bar* bar;
        std::map<std::string, std::string> params;
    };
    std::vector<Shown> shown;
    for (const std::string& title : tw::BarNames()) {
        tw::Bar* bar = tw::FindBar(title);
        std::map<std::string, std::string> params = tw::BarParams(bar);
        if (bar && Param(params, "visible", "true") != "false") shown.push_back({title, bar, std::move(params)});
    }
    if (shown.empty()) {
        PassHeldKeys();
        return;
    }

    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // The pointer where the window's last motion put it, also while the window lacks the focus
    // that the backend asks for before it reads the pointer itself.
    if (pointerSeen_) ImGui::GetIO().MousePos = ImVec2(pointer_[0], pointer_[1]);
    ImGui::NewFrame();
    unsigned editing = 0;
    for (const auto& [title, bar, params] : shown) {
        ++barsShown_;
        ImVec2 at, size(200.0f, 300.0f);
        Pair(params, "size", &size);
        // A bar placed for a larger window is moved in so that it stays on the screen.
        if (Pair(params, "position", &at)) {
            const ImVec2 screen = ImGui::GetIO().DisplaySize;
            at.x = std::max(0.0f, std::min(at.x, screen.x - size.x));
            at.y = std::max(0.0f, std::min(at.y, screen.y - size.y));
            ImGui::SetNextWindowPos(at, ImGuiCond_Appearing);
        }
        ImGui::SetNextWindowSize(size, ImGuiCond_Appearing);
        if (!ImGui::Begin(Param(params, "label", title).append("##").append(title).c_str())) {
            ImGui::End();
            continue;
        }
        const std::vector<tw::ItemInfo> items = tw::Items(bar);
        const float fieldWidth =
            ImGui::GetContentRegionAvail().x - WidestLabel(items) - ImGui::GetStyle().ItemInnerSpacing.x;
        ImGui::PushItemWidth(std::max(kNarrowestField, fieldWidth));
        std::string group;
        int index = 0;
        for (const tw::ItemInfo& item : items) {
            ImGui::PushID(index++);
            const std::string itemGroup = Param(item.params, "group", "");
            if (itemGroup != group) {
                group = itemGroup;
                if (!group.empty()) ImGui::TextDisabled("%s", group.c_str());
            }
            const std::string label = Param(item.params, "label", item.name);
            if (item.kind == tw::ItemKind::kSeparator) {
                ImGui::Separator();
            } else if (item.kind == tw::ItemKind::kButton) {
                if (ImGui::Button(label.c_str())) tw::PressButton(bar, item.name);
            } else if (item.type == tw::kTypeBool) {
                std::string value;
                tw::ReadValue(bar, item.name, &value);
                bool on = value == "true";
                if (ImGui::Checkbox(label.c_str(), &on) && !item.readOnly)
                    tw::WriteValue(bar, item.name, on ? "true" : "false");
            } else {
                const ImGuiID id = ImGui::GetID(label.c_str());
                TextBuffer& buffer = buffers_[id];
                // The field shows the value unless the user is typing into it.
                if (editing_ != id) {
                    std::string value;
                    tw::ReadValue(bar, item.name, &value);
                    std::snprintf(buffer.data(), buffer.size(), "%s", value.c_str());
                }
                // A click selects the whole value, so what is typed replaces it.
                ImGuiInputTextFlags flags = ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll;
                if (item.readOnly) flags |= ImGuiInputTextFlags_ReadOnly;
                const bool entered = ImGui::InputText(label.c_str(), buffer.data(), buffer.size(), flags);
                // Typed and left by Return, Tab or a click elsewhere, the value applies alike.
                if (!item.readOnly && (entered || ImGui::IsItemDeactivatedAfterEdit()))
                    tw::WriteValue(bar, item.name, buffer.data());
                if (ImGui::IsItemActive()) editing = id;
            }
            ImGui::PopID();
        }
        ImGui::PopItemWidth();
        ImGui::End();
    }
    editing_ = editing;
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    PassHeldKeys();
}

}  // namespace platform::sdl
