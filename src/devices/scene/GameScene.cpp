#include "devices/scene/GameScene.h"

#include "state/Picture.h"
#include "state/Renderer.h"
#include "state/SceneUnits.h"
#include "state/SoundSlots.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kv {

using scene::Frame;
using scene::LoadError;
using scene::Mesh;
using scene::Vec3;

namespace {

constexpr double kWallAngle = 3.14159; // the walls' literal half turn

std::shared_ptr<Frame> NewChild(Frame& parent) {
    auto f = std::make_shared<Frame>();
    parent.AddChild(f);
    return f;
}

// An inside-out box of twelve triangles: walls (textured), ceiling, floor.
std::shared_ptr<scene::MeshData> RoomData() {
    const float x0 = -150, x1 = 200, y0 = -35, y1 = 100, z0 = -200, z1 = 150;
    const scene::Colour wall{245.f / 256, 167.f / 256, 88.f / 256, 1};
    const scene::Colour floor{163.f / 256, 115.f / 256, 67.f / 256, 1};
    struct Side {
        std::array<std::array<float, 3>, 4> c;
        std::array<float, 3> n;
    };
    auto add = [](scene::MeshPart& p, const Side& s) {
        const auto base = static_cast<std::uint32_t>(p.positions.size() / 3);
        for (const auto& v : s.c) {
            p.positions.insert(p.positions.end(), v.begin(), v.end());
            p.normals.insert(p.normals.end(), s.n.begin(), s.n.end());
        }
        for (std::uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
            p.indices.push_back(base + i);
    };
    scene::MeshPart walls, ceiling, bottom;
    walls.diffuse = wall;
    ceiling.diffuse = wall;
    bottom.diffuse = floor;
    add(walls, {{{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}}, {-1, 0, 0}});
    add(walls, {{{{x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}}}, {1, 0, 0}});
    add(walls, {{{{x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}}}, {0, 0, -1}});
    add(walls, {{{{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}}, {0, 0, 1}});
    add(ceiling, {{{{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}}, {0, -1, 0}});
    add(bottom, {{{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}}, {0, 1, 0}});
    auto data = std::make_shared<scene::MeshData>();
    data->parts = {walls, ceiling, bottom};
    data->serial = scene::NextSerial();
    return data;
}

void SetMaterial(Frame* f, scene::Material material) {
    if (!f) return;
    for (const auto& mesh : f->Visuals())
        mesh->material = material;
}

// A turn by angle about a unit axis (Rodrigues).
scene::Mat3 AxisRotation(Vec3 k, double angle) {
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    scene::Mat3 r;
    r.m = {{{t * k.x * k.x + c, t * k.x * k.y - s * k.z, t * k.x * k.z + s * k.y},
            {t * k.x * k.y + s * k.z, t * k.y * k.y + c, t * k.y * k.z - s * k.x},
            {t * k.x * k.z - s * k.y, t * k.y * k.z + s * k.x, t * k.z * k.z + c}}};
    return r;
}

std::string& LastLook() {
    static std::string report;
    return report;
}

double SteadyMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

std::string ModernLookReport() {
    return LastLook().empty()
               ? "Эффекты «Современной» графики подбираются сами в первые секунды партии."
               : LastLook();
}

GameScene::GameScene(Module1& m, DisplayPort& display, DialogPort& dialogs, SoundBank* sounds,
                     GameSceneOptions options)
    : m_(m), display_(display), dialogs_(dialogs), sounds_(sounds), opt_(std::move(options)) {}

GameScene::~GameScene() = default;

double GameScene::NowMs() const {
    if (opt_.clockMs) return opt_.clockMs();
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void GameScene::Caption(const std::string& text) {
    display_.SetCaption(text);
}

bool GameScene::Fail(const LoadError& err) {
    const std::string msg =
        "Ошибка при создании сцены: " + std::to_string(err.number) + " " + err.description +
        ". Возможно отсутствуют или повреждены некоторые файлы .х или .wav. Если это сообщение "
        "будет повторяться постоянно, переустановите ZVR.\r\nПродолжить выполнение программы "
        "(возможно с ошибками)?";
    if (opt_.logError) opt_.logError(msg);
    return dialogs_.Message(msg, MsgIcon::Information, MsgButtons::YesNo) == MsgAnswer::Yes;
}

std::shared_ptr<Mesh> GameScene::LoadMesh(const std::string& relative, bool& stop,
                                          bool withTextures) {
    LoadError err;
    bool first = false;
    auto data = loader_->LoadMesh(relative, err, first, withTextures);
    if (!data) {
        if (first && !Fail(err)) stop = true;
        return nullptr;
    }
    return std::make_shared<Mesh>(data);
}

std::shared_ptr<Mesh> GameScene::LoadModernMesh(const std::string& classic, bool withTextures) {
    const std::string own = "mesh\\modern\\" + classic.substr(classic.find_last_of('\\') + 1);
    LoadError err;
    bool first = false;
    if (auto data = loader_->LoadMesh(own, err, first, withTextures))
        return std::make_shared<Mesh>(data);
    if (first && opt_.logError)
        opt_.logError("Современная графика: " + err.description + "; взята классическая модель.");
    return nullptr;
}

void GameScene::Reset() {
    scene_ = scene::Scene{};
    light_ = table_ = room_ = center_ = ball_ = point_ = swin_ = pot_ = lamp_ = nullptr;
    pieces_.fill(nullptr);
    legs_.fill(nullptr);
    borders_.fill(nullptr);
    pipas_.fill(nullptr);
    potMesh_ = ballMesh_ = pointMesh_ = tableMesh_ = roomMesh_ = nullptr;
    ambient_ = tableLight_ = nullptr;
    motion_.fill(Motion{});
    look_ = MatchLook{};
    lookShown_ = false;
    governor_.reset(); // each match watches its own first seconds
    camTrack_ = 0;
    potShown_ = ballShown_ = arrowShown_ = false;
    built_ = false;
    rebuilt_ = true;
}

// One step of the build, in load order: a mesh shown by its frame or kept for
// later, or a step of its own; a caption first where the step has one.
struct GameScene::Step {
    const char* caption = nullptr;
    std::string file = {}; // under gamedata
    Vec3 scale{1, 1, 1};
    Frame* frame = nullptr;                // shows the mesh; none: not attached here
    std::shared_ptr<Mesh>* keep = nullptr; // where the scene keeps the mesh
    bool bare = false;                     // without the textures its materials name
    bool modern = false;                   // the modern look has its own, under mesh/modern
    bool (GameScene::*own)() = nullptr;    // instead of a mesh
};

bool GameScene::BuildScene() {
    Caption("Загрузка сцены...");
    Reset();
    loader_ = std::make_unique<scene::AssetLoader>(opt_.dataDir);
    MakeFrames();
    for (const Step& s : Steps()) {
        if (s.caption) Caption(s.caption);
        if (s.own ? !(this->*s.own)() : !s.file.empty() && !LoadStep(s)) return false;
    }
    Caption("Установка источников света...");
    const double tableScaleX = m_.MaxX / 1000.0, tableScaleZ = m_.MaxY / 500.0;
    light_->SetPosition({tableScaleX * 50, 80, -tableScaleZ * 25});
    tableLight_ = std::make_shared<scene::Light>();
    tableLight_->type = scene::Light::Type::Point;
    tableLight_->colour = {1, 1, 1, 1};
    light_->AddLight(tableLight_);
    scene_.camera->SetPosition({m_.CamX, m_.CamY, m_.CamZ});
    scene_.camera->LookAt(*center_);
    SetMaterial(table_.get(), scene::Material::TableWood);
    SetMaterial(room_.get(), scene::Material::Room);
    SetMaterial(lamp_.get(), scene::Material::Lamp);
    for (const auto& f : borders_)
        SetMaterial(f.get(), scene::Material::RailWood);
    for (const auto& f : legs_)
        SetMaterial(f.get(), scene::Material::RailWood);
    for (const auto& f : pipas_)
        SetMaterial(f.get(), scene::Material::Metal);

    Caption("Загрузка звуков...");
    if (!LoadSounds()) return false;
    Caption(opt_.appTitle);
    return true;
}

// Every frame, where it stands, and the lights but the table's.
void GameScene::MakeFrames() {
    const int players = std::clamp<int>(m_.MaxGamers, 0, kMaxPlayers);
    const double maxX = m_.MaxX, maxY = m_.MaxY;
    Frame& root = *scene_.root;
    light_ = NewChild(root);
    table_ = NewChild(root);
    room_ = NewChild(root);
    center_ = NewChild(root);
    ball_ = NewChild(root);
    point_ = NewChild(root);
    swin_ = NewChild(root);
    pot_ = NewChild(root);
    for (int n = 1; n <= players; ++n)
        pieces_[static_cast<size_t>(n)] = NewChild(root);
    for (int k = 1; k <= 4; ++k)
        legs_[static_cast<size_t>(k)] = NewChild(root);
    for (int k = 1; k <= 2; ++k)
        borders_[static_cast<size_t>(k)] = NewChild(root);
    scene_.camera = NewChild(root);
    if (m_.UseRoom) lamp_ = NewChild(root);
    const int pipas = m_.PipaOn ? std::clamp<int>(m_.MaxPip, 0, kObstacles) : 0;
    for (int k = 1; k <= pipas; ++k) {
        pipas_[static_cast<size_t>(k)] = NewChild(root);
        pipas_[static_cast<size_t>(k)]->SetPosition(
            {SceneX(m_.pipa(k).X), 0, SceneZ(m_.pipa(k).Y)});
    }
    scene_.background = {0, 0, 0, 1};
    built_ = true;

    scene_.camera->SetPosition({m_.CamX, m_.CamY, m_.CamZ});
    FitViewport();
    scene_.viewport.backClip = 2000;
    ambient_ = std::make_shared<scene::Light>();
    ambient_->type = scene::Light::Type::Ambient;
    ambient_->colour = {0.5f, 0.5f, 0.5f, 1};
    root.AddLight(ambient_);

    if (lamp_) lamp_->SetPosition({25, 100, -25});
    if (m_.UseRoom) swin_->SetPosition({maxX / 10, 40, 150});
    table_->SetPosition({0, 0, 0});
    const double farX = (maxX - 10) / 10 - 5, farZ = -(maxY - 10) / 10 + 5;
    legs_[1]->SetPosition({5, -3, -5});
    legs_[2]->SetPosition({farX, -3, -5});
    legs_[3]->SetPosition({5, -3, farZ});
    legs_[4]->SetPosition({farX, -3, farZ});
    center_->SetPosition({m_.TargetX, m_.TargetY, m_.TargetZ});
    ball_->SetPosition({0, 0, 0});
    point_->SetPosition({0, 2, 0});
    for (int n = 1; n <= players; ++n)
        PlacePiece(n);
    if (m_.Border) {
        const bool along = m_.BordMode == 1;
        const double tableScaleX = maxX / 1000, tableScaleZ = maxY / 500;
        borders_[1]->SetRotationY(along ? kWallAngle : -m_.Pi / 2);
        borders_[1]->SetPosition(along ? Vec3{0, -5, 0} : Vec3{-2.5, -5, 0});
        if (m_.BordSimm) {
            borders_[2]->SetRotationY(along ? kWallAngle : -kWallAngle / 2);
            borders_[2]->SetPosition(along ? Vec3{0, -5, -tableScaleZ * 50 - 2.5}
                                           : Vec3{tableScaleX * 100, -5, 0});
        }
    }
}

std::vector<GameScene::Step> GameScene::Steps() {
    const int players = std::clamp<int>(m_.MaxGamers, 0, kMaxPlayers);
    const double tableScaleX = m_.MaxX / 1000.0, tableScaleZ = m_.MaxY / 500.0;
    const Vec3 tenth{0.1, 0.1, 0.1}, half{0.5, 0.5, 0.5}, lamp{0.4, 0.4, 0.4};
    std::vector<Step> s;
    if (m_.UseRoom) {
        s.push_back({.caption = "Загрузка комнаты...", .own = &GameScene::BuildRoom});
        s.push_back({.file = "mesh\\lamp.x", .scale = lamp, .frame = lamp_.get()});
        s.push_back({.file = "mesh\\swin.x", .scale = lamp, .frame = swin_.get()});
    }
    s.push_back({.file = "mesh\\pot.x", .scale = tenth, .keep = &potMesh_});
    s.push_back({.caption = "Загрузка стола...",
                 .file = "mesh\\goblatable.x",
                 .scale = {tableScaleX, 0.5, tableScaleZ},
                 .frame = table_.get(),
                 .keep = &tableMesh_,
                 .bare = true, // textured only with the option, by its own step
                 .modern = true});
    for (int k = 1; k <= 4; ++k)
        s.push_back({.file = "mesh\\nozhka.x",
                     .scale = half,
                     .frame = legs_[static_cast<size_t>(k)].get()});
    s.push_back({.file = "mesh\\centerpoint.x", .frame = center_.get()});
    s.push_back({.file = "mesh\\ball.x", .scale = tenth, .keep = &ballMesh_});
    s.push_back({.file = "mesh\\point.x", .scale = {0.1, 0.05, 0.1}, .keep = &pointMesh_});
    if (m_.UseTex)
        s.push_back({.caption = "Загрузка текстуры стола...", .own = &GameScene::TextureTable});
    s.push_back({.caption = "Загрузка гобл..."});
    for (int n = 1; n <= players; ++n) {
        const GoblaRec& g = m_.Gobla(n);
        s.push_back({.file = "mesh\\gobla" + std::to_string(g.Model) + (g.Gray ? "_gray.x" : ".x"),
                     .scale = tenth,
                     .frame = pieces_[static_cast<size_t>(n)].get(),
                     .modern = true});
    }
    if (m_.Border) {
        const Vec3 wall =
            m_.BordMode == 1 ? Vec3{tableScaleX, 0.3, 0.5} : Vec3{tableScaleZ / 2, 0.3, 0.5};
        // Both walls are loaded; the second stands only on a mirrored table.
        s.push_back({.caption = "Загрузка стенок...",
                     .file = "mesh\\border1.x",
                     .scale = wall,
                     .frame = borders_[1].get(),
                     .modern = true});
        s.push_back({.file = "mesh\\border1.x",
                     .scale = wall,
                     .frame = m_.BordSimm ? borders_[2].get() : nullptr,
                     .modern = true});
    }
    if (m_.PipaOn) {
        const double r = m_.PipaRadius / 100.0;
        s.push_back({.caption = "Загрузка пип..."});
        for (int k = 1; k <= kObstacles && pipas_[static_cast<size_t>(k)]; ++k)
            s.push_back({.file = "mesh\\pipa.x",
                         .scale = {r, r, r},
                         .frame = pipas_[static_cast<size_t>(k)].get(),
                         .modern = true});
    }
    return s;
}

bool GameScene::LoadStep(const Step& s) {
    bool stop = false;
    std::shared_ptr<Mesh> mesh;
    if (s.modern && Modern()) mesh = LoadModernMesh(s.file, !s.bare);
    if (!mesh) mesh = LoadMesh(s.file, stop, !s.bare);
    if (mesh) {
        mesh->SetScale(s.scale);
        if (s.frame) s.frame->AddVisual(mesh);
    }
    if (s.keep) *s.keep = mesh;
    return !stop;
}

// The inside-out box of the room, its walls textured.
bool GameScene::BuildRoom() {
    roomMesh_ = std::make_shared<Mesh>(RoomData());
    scene::FlatWrap wrap;
    wrap.origin = {-150, -35, -200};
    wrap.su = wrap.sv = 1.0 / 135;
    wrap.perFace = true;
    roomMesh_->ApplyWrap(wrap);
    // Only the walls take the texture; ceiling and floor keep their colours.
    LoadError err;
    bool first = false;
    bool go = true;
    if (auto tex = loader_->LoadTexture("pic\\mingerb.bmp", err, first)) {
        auto data = std::make_shared<scene::MeshData>(*roomMesh_->Data());
        data->parts[0].texture = tex;
        roomMesh_ = std::make_shared<Mesh>(data);
    } else if (first) {
        go = Fail(err);
    }
    if (go) room_->AddVisual(roomMesh_);
    return go;
}

bool GameScene::TextureTable() {
    LoadError err;
    bool first = false;
    auto tex = loader_->LoadTexture("mesh\\goblatable.bmp", err, first);
    if (!tex && first && !Fail(err)) return false;
    // The device's texture option: filtered on the hardware device, nearest
    // texel on the software one; it holds for every texture, the room's too.
    const bool linear = !SoftwareRenderer(m_.DeviceNum, m_.RenderNum);
    loader_->SetLinearFiltering(linear);
    if (tex) tex->linear = linear;
    if (roomMesh_)
        for (const auto& part : roomMesh_->Data()->parts)
            if (part.texture) part.texture->linear = linear;
    if (tex && tableMesh_) {
        const scene::Box box = tableMesh_->Bounds();
        scene::FlatWrap wrap;
        wrap.origin = {box.min.x, 0, box.min.z};
        wrap.uAxis = {1, 0, 0};
        wrap.vAxis = {0, 0, 1};
        wrap.su = box.max.x > box.min.x ? 1.0 / (box.max.x - box.min.x) : 1;
        wrap.sv = box.max.z > box.min.z ? 1.0 / (box.max.z - box.min.z) : 1;
        table_->DeleteVisual(tableMesh_.get());
        tableMesh_->ApplyWrap(wrap);
        tableMesh_->SetTexture(tex);
        table_->AddVisual(tableMesh_);
    }
    return true;
}

bool GameScene::LoadSounds() {
    if (!sounds_) return true;
    for (const sound::SlotFile& f : sound::kLoadOrder) {
        LoadError err;
        const std::string path = loader_->Resolve("sound\\" + std::string(f.file), err);
        std::string why;
        if (!path.empty() && sounds_->LoadSound(path, f.slot, why)) continue;
        if (!path.empty()) err = {scene::kErrBadFormat, why};
        if (!Fail(err)) return false;
    }
    return true;
}

Vec3 GameScene::ParkedPosition() const {
    if (m_.UseRoom && swin_) return swin_->WorldPosition();
    return {m_.MaxX / 20.0, -2.5, -m_.MaxY / 20.0};
}

scene::Frame* GameScene::PieceFrame(int n) const {
    if (n < 1 || n > kMaxPlayers) return nullptr;
    return pieces_[static_cast<size_t>(n)].get();
}

Vec3 GameScene::PieceWorld(int n) const {
    const Motion& mo = motion_[static_cast<size_t>(n)];
    if (mo.valid) return mo.last.pos;
    Frame* f = PieceFrame(n);
    return f ? f->WorldPosition() : Vec3{};
}

GameScene::Pose GameScene::DisplayPose(int n, double nowMs) const {
    Pose p;
    if (n < 1 || n > kMaxPlayers) return p;
    const Motion& mo = motion_[static_cast<size_t>(n)];
    if (!mo.valid) {
        if (Frame* f = PieceFrame(n)) p.position = f->Position();
        return p;
    }
    const double a = std::clamp((nowMs - mo.last.t) / kTickMs, 0.0, 1.0);
    p.position = mo.prev.pos + a * (mo.last.pos - mo.prev.pos);
    const double turn = std::remainder(mo.last.phi - mo.prev.phi, 2 * m_.Pi);
    p.heading = a >= 1 ? mo.last.phi : mo.prev.phi + a * turn;
    return p;
}

void GameScene::PlacePiece(int n) {
    Frame* f = PieceFrame(n);
    if (!f) return;
    const GoblaRec& g = m_.Gobla(n);
    Motion& mo = motion_[static_cast<size_t>(n)];
    const double now = NowMs();
    Sample s{now, {}, 0};
    bool snap = !mo.valid;
    if (g.Life) {
        s.pos = {SceneX(g.Xpos), 0, SceneZ(g.Ypos)};
        s.phi = g.Phi;
    } else {
        // A perished piece vanishes at once rather than gliding into the swin figure.
        s.pos = ParkedPosition();
        s.phi = mo.valid ? mo.last.phi : 0;
        snap = true;
    }
    if (snap) {
        mo.prev = s;
    } else {
        const Pose shown = DisplayPose(n, now);
        mo.prev = {now, shown.position, shown.heading};
    }
    mo.last = s;
    mo.valid = true;
    f->SetPosition(s.pos);
    f->SetRotationY(s.phi);
}

void GameScene::LiftPiece(int n, double h) {
    Frame* f = PieceFrame(n);
    if (!f) return;
    Motion& mo = motion_[static_cast<size_t>(n)];
    const double now = NowMs();
    const Pose shown = DisplayPose(n, now);
    Sample s{now, mo.valid ? mo.last.pos : f->Position(), mo.valid ? mo.last.phi : 0};
    s.pos.y = h;
    mo.prev = mo.valid ? Sample{now, shown.position, shown.heading} : s;
    mo.last = s;
    mo.valid = true;
    f->SetPosition(s.pos);
}

void GameScene::UpdateDisplay(double nowMs) {
    for (int n = 1; n <= kMaxPlayers; ++n) {
        Frame* f = PieceFrame(n);
        if (!f || !motion_[static_cast<size_t>(n)].valid) continue;
        const Pose p = DisplayPose(n, nowMs);
        f->SetPosition(p.position);
        f->SetRotationY(p.heading);
    }
    if (!camTrack_ || !scene_.camera) return;
    int n = camTrack_;
    if (n == kTrackCenter) {
        // Following a piece, the match puts the centre on it every motion tick;
        // the picture then follows the piece as it is shown, not in 30 ms steps.
        n = 0;
        const Vec3 c = center_ ? center_->WorldPosition() : Vec3{};
        for (int k = 1; k <= kMaxPlayers && center_; ++k) {
            const Motion& mo = motion_[static_cast<size_t>(k)];
            if (PieceFrame(k) && mo.valid && m_.Gobla(k).Life && mo.last.pos.x == c.x &&
                mo.last.pos.z == c.z) {
                n = k;
                break;
            }
        }
        if (!n) return;
    }
    const Pose p = DisplayPose(n, nowMs);
    Frame aim;
    aim.SetPosition({p.position.x, camTrackY_, p.position.z});
    scene_.camera->LookAt(aim);
}

void GameScene::ShowPot(i16 x, i16 z) {
    if (!pot_) return;
    pot_->SetPosition({static_cast<double>(x), 20, static_cast<double>(z)});
    if (potMesh_) pot_->AddVisual(potMesh_);
    potShown_ = true;
}

void GameScene::MovePot(i16 x, i16 z, double t, i16 v) {
    if (!pot_) return;
    pot_->SetPosition({static_cast<double>(x), PotHeight(t, v), static_cast<double>(z)});
}

void GameScene::HidePot() {
    if (pot_ && potMesh_) pot_->DeleteVisual(potMesh_.get());
    potShown_ = false;
}

void GameScene::ShowBall(bool shown) {
    if (!ball_ || !ballMesh_) return;
    if (shown)
        ball_->AddVisual(ballMesh_);
    else
        ball_->DeleteVisual(ballMesh_.get());
    ballShown_ = shown;
}

void GameScene::ShowArrow(bool shown) {
    if (!point_ || !pointMesh_) return;
    if (shown)
        point_->AddVisual(pointMesh_);
    else
        point_->DeleteVisual(pointMesh_.get());
    arrowShown_ = shown;
}

void GameScene::PlaceBall(double x, double y, double z) {
    if (ball_) ball_->SetPosition({x, y, z});
}

void GameScene::PlaceArrow(double x, double y, double z) {
    if (point_) point_->SetPosition({x, y, z});
}

void GameScene::TurnArrow(double angle) {
    if (point_) point_->SetRotationY(angle);
}

void GameScene::PlaceCenter(double x, double y, double z) {
    if (center_) center_->SetPosition({x, y, z});
}

void GameScene::PlaceCamera(double x, double y, double z) {
    camTrack_ = 0; // a moved camera keeps its orientation until it is turned again
    if (scene_.camera && built_) scene_.camera->SetPosition({x, y, z});
}

void GameScene::LookAt(int frame) {
    if (!scene_.camera || !built_) return;
    camTrack_ = 0;
    Vec3 target;
    if (frame == kLookAtCenter) {
        if (!center_) return;
        target = center_->WorldPosition();
        camTrack_ = kTrackCenter;
    } else {
        if (!PieceFrame(frame)) return;
        target = PieceWorld(frame); // as the physics has it
        camTrack_ = frame;
    }
    camTrackY_ = target.y;
    Frame aim;
    aim.SetPosition(target);
    scene_.camera->LookAt(aim);
}

void GameScene::ShowAmbientLight(bool shown) {
    if (!ambient_) return;
    if (shown)
        scene_.root->AddLight(ambient_);
    else
        scene_.root->DeleteLight(ambient_.get());
}

bool GameScene::ProjectToScreen(Vec3 world, double& sx, double& sy) const {
    if (!scene_.camera) return false;
    return scene::Projection::Project(*scene_.camera, scene_.viewport, world, sx, sy);
}

void GameScene::ShowLook(const MatchLook& look) {
    look_ = look;
    lookShown_ = true;
}

scene::Quality GameScene::CurrentQuality() const {
    if (governor_) return governor_->Current();
    return modern_ ? modern_->GetQuality() : scene::Quality{};
}

double GameScene::PieceRadius(const Frame& f) const {
    double r = 0;
    for (const auto& mesh : f.Visuals()) {
        const scene::Box b = mesh->Bounds();
        if (b.empty) continue;
        const Vec3 s = mesh->Scale();
        r = std::max({r, (b.max.x - b.min.x) * s.x / 2, (b.max.z - b.min.z) * s.z / 2});
    }
    return r > 0 ? r : 2.5;
}

void GameScene::ApplyLook(double nowMs, scene::Overlay& overlay) {
    (void)nowMs;
    scene_.decals.clear();
    const scene::Colour shadow{0, 0, 0, 0.6f};
    for (int n = 1; n <= kMaxPlayers; ++n) {
        Frame* f = PieceFrame(n);
        if (!f) continue;
        const PieceLook& pl = look_.pieces[static_cast<size_t>(n)];
        for (const auto& mesh : f->Visuals())
            mesh->tint =
                lookShown_ ? scene::Colour{pl.tint[0], pl.tint[1], pl.tint[2], 1} : scene::Colour{};
        const double r = PieceRadius(*f);
        if (lookShown_ && pl.fall > 0 && pl.fall < 1) {
            // Tipping over the edge, then dropping: a picture of what the physics decided.
            Vec3 dir = scene::Normalized({pl.fallDirX, 0, pl.fallDirZ});
            if (scene::Length(dir) < 0.5) dir = {1, 0, 0};
            const double tip = std::min(1.0, pl.fall * 1.8) * 1.75;
            const Vec3 axis{dir.z, 0, -dir.x};
            const Vec3 at{pl.fallX, pl.fallY, pl.fallZ};
            const double out = r * std::sin(tip) * 0.6 + pl.fall * 3;
            const double drop = pl.fall * pl.fall * 70 + r * std::sin(tip) * 0.4;
            f->SetPosition(at + out * dir - drop * Vec3{0, 1, 0});
            f->SetRotation(AxisRotation(axis, tip) *
                           scene::RotationY(motion_[static_cast<size_t>(n)].last.phi));
            continue;
        }
        if (!m_.Gobla(n).Life) continue;
        const Vec3 p = f->Position();
        const double lift = std::clamp(p.y / 20, 0.0, 0.8);
        scene_.decals.push_back({scene::Decal::Kind::Shadow,
                                 {p.x, 0.02, p.z},
                                 r * (1.4 + lift),
                                 {0, 0, 0, shadow.a * static_cast<float>(1 - lift)}});
        if (lookShown_ && pl.turn) {
            auto bright = [](float c) { return std::pow(std::clamp(c, 0.f, 1.f), 1 / 2.2f); };
            scene_.decals.push_back(
                {scene::Decal::Kind::Ring,
                 {p.x, 0.03, p.z},
                 r * 1.7,
                 {bright(pl.tint[0]), bright(pl.tint[1]), bright(pl.tint[2]), 0.95f}});
            if (look_.force >= 0) {
                double sx = 0, sy = 0;
                if (ProjectToScreen(p, sx, sy)) {
                    overlay.forceBar = true;
                    overlay.barX = sx;
                    overlay.barY = sy;
                    overlay.force = look_.force;
                }
            }
        }
    }
    for (const auto& f : pipas_) {
        if (!f || f->Visuals().empty()) continue;
        const Vec3 p = f->WorldPosition();
        scene_.decals.push_back(
            {scene::Decal::Kind::Shadow, {p.x, 0.02, p.z}, PieceRadius(*f) * 1.35, shadow});
    }
    if (lookShown_) {
        overlay.banner = look_.banner;
        overlay.bannerAlpha = look_.bannerAlpha;
    }
}

bool GameScene::RenderModern(double nowMs, const std::vector<TextItem>& text, std::string* error) {
    if (!modern_) modern_ = std::make_unique<scene::ModernRenderer>();
    if (!modern_->Ready()) {
        std::string why;
        if (!modern_->InitGL(why)) {
            if (error) *error = why;
            return false;
        }
        const auto* name = reinterpret_cast<const char*>(
            QOpenGLContext::currentContext()->functions()->glGetString(GL_RENDERER));
        rendererName_ = name ? name : "";
    }
    if (!governor_) {
        const bool software = rendererName_.find("llvmpipe") != std::string::npos ||
                              rendererName_.find("softpipe") != std::string::npos ||
                              rendererName_.find("Software") != std::string::npos;
        scene::Quality q;
        q.samples = software ? 0 : 4;
        q.smoothEdges = software;
        q.shadowSize = software ? 1024 : 2048;
        governor_ = std::make_unique<scene::QualityGovernor>(
            opt_.frameClockMs ? opt_.frameClockMs : std::function<double()>(SteadyMs), q);
    }
    const bool wasSettled = governor_->Settled();
    const bool lowered = governor_->FrameStarted();
    if (lowered || (governor_->Settled() && !wasSettled) || LastLook().empty())
        LastLook() = "Рисует: " + rendererName_ +
                     "; эффекты: " + scene::DescribeQuality(governor_->Current()) + ".";
    modern_->SetQuality(governor_->Current());
    if (rebuilt_) {
        modern_->ForgetUnused(scene_);
        if (renderer_) renderer_->ForgetUnused(scene_);
        rebuilt_ = false;
    }
    UpdateDisplay(nowMs);
    scene::Overlay overlay;
    ApplyLook(nowMs, overlay);
    modern_->RenderScene(scene_);
    modern_->RenderText(text, m_.TextColour, scene_.viewport.width, scene_.viewport.height,
                        overlay);
    return true;
}

void GameScene::FitViewport() {
    scene_.viewport.width = std::max(1, PictureWidth(m_));
    scene_.viewport.height = std::max(1, PictureHeight(m_));
    scene_.viewport.squarePixels = Modern();
}

bool GameScene::RenderFrame(double nowMs, const std::vector<TextItem>& text, std::string* error) {
    FitViewport();
    if (Modern()) return RenderModern(nowMs, text, error);
    scene_.decals.clear();
    if (!renderer_) renderer_ = std::make_unique<scene::SceneRenderer>();
    if (!renderer_->Ready()) {
        std::string why;
        if (!renderer_->InitGL(why)) {
            if (error) *error = why;
            return false;
        }
    }
    if (rebuilt_) {
        renderer_->ForgetUnused(scene_);
        if (modern_) modern_->ForgetUnused(scene_);
        rebuilt_ = false;
    }
    UpdateDisplay(nowMs);
    renderer_->RenderScene(scene_);
    renderer_->RenderText(text, m_.TextColour, scene_.viewport.width, scene_.viewport.height);
    return true;
}

void GameScene::ReleaseGL() {
    if (renderer_) renderer_->ReleaseGL();
    if (modern_) modern_->ReleaseGL();
}

} // namespace kv
