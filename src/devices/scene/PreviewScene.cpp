#include "devices/scene/PreviewScene.h"

#include <filesystem>

namespace kv::scene {

bool PreviewScene::Build(const std::string& dataDir, const std::string& meshPath, LoadError& err,
                         bool modern) {
    // Named under the data folder, as the match's meshes are.
    const bool under = meshPath.compare(0, dataDir.size(), dataDir) == 0;
    const std::filesystem::path path(meshPath);
    AssetLoader loader(under ? dataDir : path.parent_path().string());
    bool first = false;
    std::shared_ptr<const MeshData> mesh;
    if (modern && under) {
        // Without a modern one the classic piece serves, as in the match.
        LoadError none;
        mesh = loader.LoadMesh("mesh/modern/" + path.filename().string(), none, first);
    }
    if (!mesh)
        mesh = loader.LoadMesh(under ? meshPath.substr(dataDir.size()) : path.filename().string(),
                               err, first);
    if (!mesh) return false;
    scene_ = Scene{};
    scene_.viewport.width = kWidth;
    scene_.viewport.height = kHeight;
    scene_.viewport.backClip = 1000;
    scene_.camera = std::make_shared<Frame>();
    scene_.root->AddChild(scene_.camera);
    scene_.camera->SetPosition({-40, 20, 10});
    auto ambient = std::make_shared<Light>();
    ambient->type = Light::Type::Ambient;
    ambient->colour = {0.5F, 0.5F, 0.5F, 1};
    scene_.root->AddLight(ambient);
    piece_ = std::make_shared<Frame>();
    scene_.root->AddChild(piece_);
    auto visual = std::make_shared<Mesh>(mesh);
    visual->SetScale({0.5, 0.5, 0.5});
    piece_->AddVisual(visual);
    auto lamp = std::make_shared<Frame>();
    scene_.root->AddChild(lamp);
    lamp->SetPosition({0, 50, 0});
    auto point = std::make_shared<Light>();
    point->type = Light::Type::Point;
    point->colour = {1, 1, 1, 1};
    lamp->AddLight(point);
    scene_.camera->LookAt(*piece_);
    return true;
}

void PreviewScene::Render(SceneRenderer& renderer, double angle, const std::vector<TextItem>& texts,
                          int textColour) {
    if (piece_) piece_->SetRotationY(angle);
    renderer.RenderScene(scene_);
    renderer.RenderText(texts, textColour, kWidth, kHeight);
}

void PreviewScene::Render(ModernRenderer& renderer, double angle,
                          const std::vector<TextItem>& texts, int textColour) {
    if (piece_) {
        piece_->SetRotationY(angle);
        const Box b = piece_->Visuals().front()->Bounds();
        const double r = b.empty ? 5 : (b.max.x - b.min.x) * 0.25;
        scene_.decals = {
            {Decal::Kind::Shadow, {0, b.empty ? 0 : b.min.y * 0.5, 0}, r * 1.4, {0, 0, 0, 0.6f}}};
    }
    renderer.RenderScene(scene_);
    renderer.RenderText(texts, textColour, kWidth, kHeight, Overlay{});
}

} // namespace kv::scene
