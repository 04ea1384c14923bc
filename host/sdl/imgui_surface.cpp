#include "host/sdl/imgui_surface.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>
#include "host/toolkit.h"

namespace ollendor {

namespace {
// Makes a context current for the life of the scope.
class CurrentContext {
public:
    explicit CurrentContext(ImGuiContext* context) : previous(ImGui::GetCurrentContext())
    {
        ImGui::SetCurrentContext(context);
    }
    ~CurrentContext() { ImGui::SetCurrentContext(previous); }

private:
    ImGuiContext* previous;
};
} // namespace

ImGuiSurface::ImGuiSurface(SDL_Window* window, SDL_Renderer* renderer)
    : context(ImGui::CreateContext()), previous(nullptr)
{
    CurrentContext current(context);
    ImGui::GetIO().IniFilename = nullptr; // nothing is kept between runs
    ImGui::StyleColorsLight();
    // Menus, dialogs and views opaque, so the emulated picture never shows through their
    // text; highlights light enough that black and grey text stay readable on them.
    ImVec4* colours = ImGui::GetStyle().Colors;
    for (ImGuiCol part : {ImGuiCol_WindowBg, ImGuiCol_PopupBg, ImGuiCol_MenuBarBg, ImGuiCol_ChildBg})
        colours[part].w = 1.0f;
    colours[ImGuiCol_ChildBg] = colours[ImGuiCol_WindowBg];
    colours[ImGuiCol_HeaderHovered] = ImVec4(0.72f, 0.84f, 1.00f, 1.00f);
    colours[ImGuiCol_HeaderActive] = ImVec4(0.60f, 0.76f, 0.98f, 1.00f);
    colours[ImGuiCol_Header] = ImVec4(0.80f, 0.88f, 1.00f, 1.00f);
    if (!ImGui_ImplSDL2_InitForSDLRenderer(window)) {
        ImGui::DestroyContext(context);
        throw DynamicError("ImGui_ImplSDL2_InitForSDLRenderer failed");
    }
    if (!ImGui_ImplSDLRenderer_Init(renderer)) {
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(context);
        throw DynamicError("ImGui_ImplSDLRenderer_Init failed");
    }
}

ImGuiSurface::~ImGuiSurface()
{
    {
        CurrentContext current(context);
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
    }
    ImGui::DestroyContext(context);
}

void ImGuiSurface::processEvent(const SDL_Event& event)
{
    CurrentContext current(context);
    ImGui_ImplSDL2_ProcessEvent(&event);
    pendingFrames = 2;
}

bool ImGuiSurface::wantsKeyboard() const
{
    CurrentContext current(context);
    return ImGui::GetIO().WantTextInput;
}

bool ImGuiSurface::popupOpen() const
{
    CurrentContext current(context);
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

void ImGuiSurface::beginFrame()
{
    previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(context);
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    if (closeAsked && ImGui::GetCurrentContext()->OpenPopupStack.Size > 0)
        ImGui::ClosePopupToLevel(0, true);
    closeAsked = false;
}

void ImGuiSurface::endFrame()
{
    ImGui::Render();
    ImGui::SetCurrentContext(previous);
    if (pendingFrames > 0)
        --pendingFrames;
}

uint64_t ImGuiSurface::drawDigest() const
{
    CurrentContext current(context);
    const ImDrawData* data = ImGui::GetDrawData();
    if (!data)
        return 0;
    // FNV-1a over what would be drawn: the vertices, the indices and each command's clip
    // rectangle and texture.
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](const void* bytes, size_t size) {
        const auto* p = static_cast<const unsigned char*>(bytes);
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ p[i]) * 1099511628211ull;
    };
    for (int list = 0; list < data->CmdListsCount; ++list) {
        const ImDrawList* drawList = data->CmdLists[list];
        mix(drawList->VtxBuffer.Data, size_t(drawList->VtxBuffer.Size) * sizeof(ImDrawVert));
        mix(drawList->IdxBuffer.Data, size_t(drawList->IdxBuffer.Size) * sizeof(ImDrawIdx));
        for (const ImDrawCmd& command : drawList->CmdBuffer) {
            mix(&command.ClipRect, sizeof command.ClipRect);
            mix(&command.TextureId, sizeof command.TextureId);
            mix(&command.ElemCount, sizeof command.ElemCount);
        }
    }
    return hash;
}

bool ImGuiSurface::drawsIn(const SDL_Rect& area) const
{
    CurrentContext current(context);
    const ImDrawData* data = ImGui::GetDrawData();
    if (!data)
        return false;
    for (int list = 0; list < data->CmdListsCount; ++list)
        for (const ImDrawCmd& command : data->CmdLists[list]->CmdBuffer) {
            const ImVec4& clip = command.ClipRect;
            if (clip.x < float(area.x + area.w) && float(area.x) < clip.z && clip.y < float(area.y + area.h) &&
                float(area.y) < clip.w && command.ElemCount > 0)
                return true;
        }
    return false;
}

void ImGuiSurface::draw()
{
    CurrentContext current(context);
    if (ImDrawData* data = ImGui::GetDrawData())
        ImGui_ImplSDLRenderer_RenderDrawData(data);
}

} // namespace ollendor
