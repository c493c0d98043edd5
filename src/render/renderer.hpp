#pragma once

#include <epoxy/gl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/message_sink.hpp"
#include "base/result.hpp"
#include "game/gpu_records.hpp"
#include "game/types.hpp"
#include "render/cube_detail.hpp"
#include "render/draw_quality.hpp"
#include "render/gl_name.hpp"
#include "render/gl_program.hpp"

namespace sorvel {

// Where a frame ends up: a single-sampled sRGB framebuffer of the caller's
// (an OffscreenTarget for captures, the window's own for play).
struct RenderTarget {
  GLuint framebuffer = 0;
  int width = 0;
  int height = 0;
};

// Draws the game's frames with OpenGL 3.3 core: a shadow pass into a
// kShadowMapSize-square depth map, then floor, cubes and object groups into 4x
// multisampled targets, resolved into the caller's framebuffer. It also keeps
// the meshes and textures the game uploads.
//
// Everything it does needs its GL context current on the calling thread.
class Renderer final : public GpuResources {
 public:
  static constexpr int kSamples = 4;
  static constexpr int kRingSize = 3;
  // Room for the largest table a chapter may hold (16,000 cubes of 80 bytes)
  // with its plinths, figures and chips; a larger frame grows its buffer.
  static constexpr std::size_t kRingBytes = 1536 * 1024;
  static constexpr int kQuickShadowMapSize = kShadowMapSize / 2;

  // Builds the programs, the shadow map, the cube mesh, the glyph atlas and
  // the frame buffers. Fails with a message (compile logs included) rather
  // than aborting, so the caller can say what went wrong. Trouble it draws on
  // through (a figure's texture, a target too large) is told to `say`.
  // The main programs built now are those of `first`; the others on first
  // use, or when prepare() asks.
  static Result<std::unique_ptr<Renderer>> create(DrawQuality first = DrawQuality::full,
                                                  MessageSink say = linesTo(stderr));

  ~Renderer() override;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // GpuResources.
  MeshHandle uploadMesh(const MeshData& mesh) override;
  std::optional<TextureHandle> loadTexture(const std::filesystem::path& png) override;

  // Draws one frame into `target`. Waits only if the GPU is still reading the
  // frame buffer from three frames ago. A quality whose programs the driver
  // cannot build is drawn in the other. False, with nothing drawn, when the
  // driver cannot give targets of that size (or build either quality's
  // programs). Sets all the GL state it needs (bindings, switches, clip
  // control) and puts none back.
  bool render(const Frame& frame, const RenderTarget& target, DrawQuality quality = DrawQuality::full);

  // Builds what `quality` draws with (its programs; for quick frames their
  // own smaller shadow map) now rather than on its first frame. False, told
  // once, when the driver cannot.
  bool prepare(DrawQuality quality);
  // Lets the drawing targets go until the next frame needs them: a window
  // that shows one picture for a long while need not keep four samples of
  // every pixel meanwhile.
  void releaseTargets();

 private:
  struct GpuMesh {
    GlVertexArray vertexArray;
    GlBuffer vertices;
    GlBuffer indices;
    GLsizei count = 0;
    glm::vec3 low{0}, high{0};  // the box that holds it
  };
  struct RingEntry {
    GlBuffer buffer;
    std::size_t capacity = 0;
    GlFence fence;
  };

  // The programs of the main pass, for one quality.
  struct MainPrograms {
    GlProgram cube, object, floor;
    GLint hasPictureLocation = -1;
    explicit operator bool() const { return static_cast<bool>(cube); }
  };

  // A depth map seen from the light, with what it was last drawn for.
  struct ShadowMap {
    GlTexture texture;
    GlFramebuffer framebuffer;
    int size = 0;
    std::vector<float> key;  // see shadowCasters()
    explicit operator bool() const { return static_cast<bool>(texture); }
  };

  Renderer() = default;
  Result<void> build(DrawQuality first);
  Result<MainPrograms> buildMainPrograms(DrawQuality quality) const;
  Result<void> buildShadowPrograms();
  Result<ShadowMap> buildShadowMap(int size);
  void buildFrameRing();
  GpuMesh makeMesh(const MeshData& data, const std::string& label);
  // (Re)makes the drawing targets for a new size or sample count; false
  // when the driver cannot give them.
  bool ensureTargets(int width, int height, int samples);
  // The rectangle of the shadow map the frame's casters can darken.
  glm::vec4 shadowFootprint(const Frame& frame, const glm::mat4& lightViewProj) const;
  // The frame's uniforms with the light's view, the casters' rectangle and
  // `map`'s size.
  Uniforms frameUniforms(const Frame& frame, const ShadowMap& map) const;
  // Whether `map` must be drawn anew: the casters or the light changed
  // since it was last drawn.
  bool shadowCasters(const Frame& frame, const glm::mat4& lightViewProj, ShadowMap& map);
  void upload(const Uniforms& uniforms, const Frame& frame, const FramePacking& packing, const RingEntry& entry);
  RingEntry& nextRingEntry(std::size_t bytes);
  void shadowPass(const Frame& frame, const FramePacking& packing, GLuint buffer, const ShadowMap& map);
  void mainPass(const Frame& frame, const FramePacking& packing, GLuint buffer, const RenderTarget& target,
                const MainPrograms& programs, const ShadowMap& map, bool quick);
  // `programs` null: the shadow pass.
  void drawCubes(const Frame& frame, GLuint buffer, std::size_t base, const GpuMesh& cube,
                 const MainPrograms* programs);
  void drawObjects(const Frame& frame, GLuint buffer, const std::vector<std::size_t>& offsets,
                   const MainPrograms* programs);
  const GpuMesh* mesh(MeshHandle handle) const;

  bool clipControl_ = false;
  MainPrograms fullPrograms_, quickPrograms_;
  bool toldAboutQualities_ = false;
  GlProgram cubeShadowProgram_, objShadowProgram_;
  // One rounded cube for each level of detail in kCubeDetailSteps.
  std::array<GpuMesh, kCubeDetailSteps.size()> cubeMeshes_;
  GpuMesh shadowBox_;
  GlVertexArray emptyVertexArray_;
  GlTexture glyphs_;
  ShadowMap fullShadow_, quickShadow_;
  std::vector<float> nextShadowKey_;  // a frame's key, to compare with a map's

  // Drawn into, then resolved or copied into the caller's target.
  GlRenderbuffer drawDepth_;
  GlRenderbuffer drawColour_;
  GlFramebuffer drawFramebuffer_;
  int targetWidth_ = 0;
  int targetHeight_ = 0;
  int targetSamples_ = 0;
  bool targetsComplete_ = false;

  std::array<RingEntry, kRingSize> ring_{};
  int ringIndex_ = 0;
  bool toldAboutGrowth_ = false;
  MessageSink say_;

  std::vector<GpuMesh> meshes_;  // handle id - 1
  std::vector<GlTexture> textures_;
};

}  // namespace sorvel
