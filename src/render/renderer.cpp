#include "render/renderer.hpp"

#include <algorithm>
#include <cstring>
#include <exception>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <string_view>
#include <utility>

#include "base/maths.hpp"
#include "image/png_io.hpp"
#include "meshes/mesh_data.hpp"
#include "puzzle/library.hpp"
#include "render/cube_detail.hpp"
#include "render/gl_state.hpp"
#include "render/glyph_atlas.hpp"
#include "render/shader_prelude.hpp"
#include "render/shader_sources.hpp"
#include "render/shadow_footprint.hpp"

namespace sorvel {
namespace {

// Unit 0 holds the glyph atlas or a figure's texture, unit 1 the shadow map.
constexpr GLint kPictureUnit = 0;
constexpr GLint kShadowUnit = 1;

// The largest chapter's table fits the frame buffers as they start.
static_assert(Renderer::kRingBytes >= 256 + Library::kMaxChapterCells * sizeof(CubeInst) + 64 * 1024);

const void* byteOffset(std::size_t offset) { return reinterpret_cast<const void*>(offset); }

std::size_t alignUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

void setFloatInstance(GLuint location, std::size_t offset, std::size_t stride) {
  glVertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), byteOffset(offset));
}
void setUintInstance(GLuint location, std::size_t offset, std::size_t stride) {
  glVertexAttribIPointer(location, 4, GL_UNSIGNED_INT, static_cast<GLsizei>(stride), byteOffset(offset));
}

// What the shadow pass draws for every cube: a plain box. Shadows cannot show
// the rounded edges, and a box costs 12 triangles where the rounded cube
// costs nearly a thousand.
MeshData shadowBox(float h) {
  MeshData box{.stride = Meshes::kCubeStride};
  for (int axis = 0; axis < 3; ++axis) {
    for (int sign = 1; sign >= -1; sign -= 2) {
      const auto base = static_cast<std::uint32_t>(box.vertexCount());
      const int u = (axis + 1) % 3, v = (axis + 2) % 3;
      for (int corner = 0; corner < 4; ++corner) {
        float p[3] = {0, 0, 0}, n[3] = {0, 0, 0};
        p[axis] = static_cast<float>(sign) * h;
        p[u] = (corner & 1) != 0 ? h : -h;
        p[v] = (corner & 2) != 0 ? h : -h;
        n[axis] = static_cast<float>(sign);
        const float face = static_cast<float>(2 * axis + (sign > 0 ? 0 : 1));
        box.vertices.insert(box.vertices.end(), {p[0], p[1], p[2], n[0], n[1], n[2], 0.0f, 0.0f, face});
      }
      box.indices.insert(box.indices.end(), {base, base + 1, base + 3, base, base + 3, base + 2});
    }
  }
  Meshes::fixWinding(box.vertices, box.indices, box.stride);
  return box;
}

// A texture with its whole mipmap chain built on the GPU from level 0, its
// rows packed tight.
GlTexture makeMipmappedTexture(GLint internalFormat, GLenum format, int width, int height, const void* pixels,
                               GLint wrap, std::string_view label) {
  debugExpectGl(GL_PIXEL_UNPACK_BUFFER_BINDING, 0, "a texture upload from memory");
  GlTexture texture = GlTexture::make();
  glBindTexture(GL_TEXTURE_2D, texture.id());
  labelGlObject(texture, label);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
  glGenerateMipmap(GL_TEXTURE_2D);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  return texture;
}

}  // namespace

Result<std::unique_ptr<Renderer>> Renderer::create(DrawQuality first, MessageSink say) {
  std::unique_ptr<Renderer> renderer(new Renderer());
  renderer->say_ = std::move(say);
  if (const Result<void> built = renderer->build(first); !built) {
    return Reason{"cannot set up the renderer: " + built.why()};
  }
  return renderer;
}

Result<void> Renderer::build(DrawQuality first) {
  if (epoxy_gl_version() < 33) {
    return Reason{"OpenGL 3.3 is needed and the driver offers " + std::to_string(epoxy_gl_version() / 10) + "." +
                  std::to_string(epoxy_gl_version() % 10)};
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  clipControl_ = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
  // The other quality's programs wait for the first frame that needs them:
  // a still or a film never draws quick ones.
  Result<MainPrograms> programs = buildMainPrograms(first);
  if (!programs) return Reason{programs.why()};
  (first == DrawQuality::full ? fullPrograms_ : quickPrograms_) = std::move(*programs);
  if (Result<void> built = buildShadowPrograms(); !built) return built;
  Result<ShadowMap> shadowMap = buildShadowMap(kShadowMapSize);
  if (!shadowMap) return Reason{shadowMap.why()};
  fullShadow_ = std::move(*shadowMap);

  for (std::size_t level = 0; level < kCubeDetailSteps.size(); ++level) {
    const int steps = kCubeDetailSteps[level];
    cubeMeshes_[level] =
        makeMesh(Meshes::roundedCube(kCubeHalf, kCubeBevel, steps), "rounded cube, " + std::to_string(steps) + " steps");
  }
  shadowBox_ = makeMesh(shadowBox(kCubeHalf), "shadow box");

  try {
    const GlyphAtlasImage atlas = buildGlyphAtlas();
    glyphs_ = makeMipmappedTexture(GL_RG8, GL_RG, atlas.width, atlas.height, atlas.texels.data(), GL_CLAMP_TO_EDGE,
                                   "clue glyphs");
  } catch (const std::exception& e) {
    return Reason{std::string("the clue glyphs cannot be drawn: ") + e.what()};
  }

  // The floor makes its corners in the vertex shader, but core GL draws
  // nothing without some vertex array bound.
  emptyVertexArray_ = GlVertexArray::make();
  glBindVertexArray(emptyVertexArray_.id());
  labelGlObject(emptyVertexArray_, "floor (no vertices)");
  glBindVertexArray(0);
  buildFrameRing();

  if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
    return Reason{"setting up the GPU objects gave " + glErrorText(error)};
  }
  return {};
}

Result<Renderer::MainPrograms> Renderer::buildMainPrograms(DrawQuality quality) const {
  std::string prelude = shaderPrelude(!clipControl_);
  if (quality == DrawQuality::quick) prelude += "#define SORVEL_QUICK 1\n";
  prelude += shaders::common_glsl;
  const std::string fragmentPrelude = shaders::lighting_glsl;
  MainPrograms made;
  const std::pair<GlProgram*, ProgramSource> programs[] = {
      {&made.cube, {"cube", shaders::cube_vert, shaders::cube_frag}},
      {&made.object, {"object", shaders::obj_vert, shaders::obj_frag}},
      {&made.floor, {"floor", shaders::floor_vert, shaders::floor_frag}},
  };
  for (const auto& [program, source] : programs) {
    Result<GlProgram> built = buildProgram(source, prelude, fragmentPrelude);
    if (!built) return Reason{built.why()};
    *program = std::move(*built);
  }
  setSamplerUnit(made.cube, "glyphs", kPictureUnit);
  setSamplerUnit(made.object, "picture", kPictureUnit);
  made.hasPictureLocation = glGetUniformLocation(made.object.id(), "hasPicture");
  for (const GlProgram* p : {&made.cube, &made.object, &made.floor}) setSamplerUnit(*p, "shadowMap", kShadowUnit);
  glUseProgram(0);
  return made;
}

Result<void> Renderer::buildShadowPrograms() {
  const std::string prelude = shaderPrelude(!clipControl_) + shaders::common_glsl;
  const std::pair<GlProgram*, ProgramSource> programs[] = {
      {&cubeShadowProgram_, {"cube shadow", shaders::shadow_cube_vert, ""}},
      {&objShadowProgram_, {"object shadow", shaders::shadow_obj_vert, ""}},
  };
  for (const auto& [program, source] : programs) {
    Result<GlProgram> built = buildProgram(source, prelude, "");
    if (!built) return Reason{built.why()};
    *program = std::move(*built);
  }
  return {};
}

bool Renderer::prepare(DrawQuality quality) {
  // Said once: a window without the quick quality draws every frame in
  // full; one without the full quality keeps its quick pictures.
  const auto refuse = [this](const std::string& why) {
    if (!toldAboutQualities_) say_("render: " + why);
    toldAboutQualities_ = true;
    return false;
  };
  if (quality == DrawQuality::quick && !quickShadow_) {
    Result<ShadowMap> map = buildShadowMap(kQuickShadowMapSize);
    if (!map) return refuse(map.why());
    quickShadow_ = std::move(*map);
  }
  MainPrograms& programs = quality == DrawQuality::full ? fullPrograms_ : quickPrograms_;
  if (programs) return true;
  Result<MainPrograms> built = buildMainPrograms(quality);
  if (!built) return refuse(built.why());
  programs = std::move(*built);
  return true;
}

void Renderer::buildFrameRing() {
  for (std::size_t i = 0; i < ring_.size(); ++i) {
    RingEntry& entry = ring_[i];
    entry.buffer = GlBuffer::make();
    glBindBuffer(GL_ARRAY_BUFFER, entry.buffer.id());
    labelGlObject(entry.buffer, "frame records " + std::to_string(i));
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kRingBytes), nullptr, GL_STREAM_DRAW);
    entry.capacity = kRingBytes;
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

Result<Renderer::ShadowMap> Renderer::buildShadowMap(int size) {
  // The shadow map compares in hardware, so each tap is already a 2x2 blend.
  ShadowMap map;
  map.size = size;
  map.texture = GlTexture::make();
  glBindTexture(GL_TEXTURE_2D, map.texture.id());
  labelGlObject(map.texture, "shadow map " + std::to_string(size));
  glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, size, size, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
  glBindTexture(GL_TEXTURE_2D, 0);
  map.framebuffer = GlFramebuffer::make();
  glBindFramebuffer(GL_FRAMEBUFFER, map.framebuffer.id());
  labelGlObject(map.framebuffer, "shadow pass " + std::to_string(size));
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, map.texture.id(), 0);
  glDrawBuffer(GL_NONE);
  glReadBuffer(GL_NONE);
  const GLenum shadowStatus = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (shadowStatus != GL_FRAMEBUFFER_COMPLETE) {
    const std::string side = std::to_string(size);
    return Reason{"the " + side + "x" + side + " shadow map cannot be drawn into (status " +
                  std::to_string(shadowStatus) + ")"};
  }
  return map;
}

// Every GL name is held by a member that frees it.
Renderer::~Renderer() = default;

MeshHandle Renderer::uploadMesh(const MeshData& data) {
  // Only the two vertex layouts the shaders read can be drawn.
  if (data.stride != Meshes::kCubeStride && data.stride != Meshes::kObjectStride) return {};
  meshes_.push_back(makeMesh(data, "mesh " + std::to_string(meshes_.size() + 1)));
  return {static_cast<std::uint32_t>(meshes_.size()), static_cast<std::uint32_t>(meshes_.back().count)};
}

Renderer::GpuMesh Renderer::makeMesh(const MeshData& data, const std::string& label) {
  GpuMesh m;
  m.count = static_cast<GLsizei>(data.indices.size());
  const auto floatsPerVertex = static_cast<std::size_t>(std::max(data.stride, 3));
  for (std::size_t v = 0; v + 2 < data.vertices.size(); v += floatsPerVertex) {
    const glm::vec3 p(data.vertices[v], data.vertices[v + 1], data.vertices[v + 2]);
    m.low = v == 0 ? p : glm::min(m.low, p);
    m.high = v == 0 ? p : glm::max(m.high, p);
  }
  m.vertexArray = GlVertexArray::make();
  glBindVertexArray(m.vertexArray.id());
  labelGlObject(m.vertexArray, label);
  m.vertices = GlBuffer::make();
  glBindBuffer(GL_ARRAY_BUFFER, m.vertices.id());
  labelGlObject(m.vertices, label + " vertices");
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.vertices.size() * sizeof(float)), data.vertices.data(),
               GL_STATIC_DRAW);
  m.indices = GlBuffer::make();
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m.indices.id());
  labelGlObject(m.indices, label + " indices");
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.indices.size() * sizeof(std::uint32_t)),
               data.indices.data(), GL_STATIC_DRAW);

  const bool cube = data.stride == Meshes::kCubeStride;
  const std::span<const VertexAttribute> layout =
      cube ? std::span<const VertexAttribute>(kCubeVertexLayout) : std::span<const VertexAttribute>(kObjectVertexLayout);
  const auto stride = static_cast<GLsizei>(cube ? kCubeVertexBytes : kObjectVertexBytes);
  for (std::size_t a = 0; a < layout.size(); ++a) {
    glEnableVertexAttribArray(static_cast<GLuint>(a));
    glVertexAttribPointer(static_cast<GLuint>(a), layout[a].components, GL_FLOAT, GL_FALSE, stride,
                          byteOffset(layout[a].offset));
  }
  // The instance records are pointed at per draw, where each block of the
  // frame buffer starts.
  const GLuint instanceAttributes = cube ? attribute::kCubeCount : attribute::kObjectCount;
  for (GLuint a = attribute::kFirstInstance; a < attribute::kFirstInstance + instanceAttributes; ++a) {
    glEnableVertexAttribArray(a);
    glVertexAttribDivisor(a, 1);
  }
  // A vertex array left bound would take the next element buffer anyone
  // binds as its own.
  glBindVertexArray(0);
  return m;
}

std::optional<TextureHandle> Renderer::loadTexture(const std::filesystem::path& png) {
  // Figures are painted a few texels a colour; a picture past this is not one
  // of ours, and its header alone must not make us allocate for it.
  const Result<RgbaImage> read = readPng(png, kDefaultMaxPngPixels);
  if (!read) {
    say_("render: " + read.why() + "; the figure is drawn without it");
    return std::nullopt;
  }
  const RgbaImage& image = *read;
  // Figures are painted in sRGB; sampling must hand the shader linear colour.
  textures_.push_back(makeMipmappedTexture(GL_SRGB8_ALPHA8, GL_RGBA, image.width, image.height, image.pixels.data(),
                                           GL_REPEAT, png.filename().string()));
  return TextureHandle{textures_.back().id()};
}

const Renderer::GpuMesh* Renderer::mesh(MeshHandle handle) const {
  if (handle.id == 0 || handle.id > meshes_.size()) return nullptr;
  return &meshes_[handle.id - 1];
}

bool Renderer::ensureTargets(int width, int height, int samples) {
  if (drawFramebuffer_ && width == targetWidth_ && height == targetHeight_ && samples == targetSamples_) {
    return targetsComplete_;
  }
  releaseTargets();
  // Without multisampling, plain renderbuffers: a one-sample multisampled
  // one may still cost a resolve.
  const auto storage = [&](GLenum format) {
    if (samples > 1) {
      glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    } else {
      glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    }
  };
  drawColour_ = GlRenderbuffer::make();
  glBindRenderbuffer(GL_RENDERBUFFER, drawColour_.id());
  labelGlObject(drawColour_, "main pass colour");
  storage(GL_SRGB8_ALPHA8);
  drawDepth_ = GlRenderbuffer::make();
  glBindRenderbuffer(GL_RENDERBUFFER, drawDepth_.id());
  labelGlObject(drawDepth_, "main pass depth");
  storage(GL_DEPTH_COMPONENT32F);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  drawFramebuffer_ = GlFramebuffer::make();
  glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_.id());
  labelGlObject(drawFramebuffer_, "main pass");
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, drawColour_.id());
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, drawDepth_.id());
  targetsComplete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (!targetsComplete_) {
    // Too large for the driver, or out of memory: say so once per size and
    // draw nothing rather than draw into a broken framebuffer.
    while (glGetError() != GL_NO_ERROR) {
    }
    say_("render: no " + std::to_string(width) + "x" + std::to_string(height) + " framebuffer with " +
         std::to_string(samples) + (samples == 1 ? " sample" : " samples") + "; frames of this size are not drawn");
  }
  targetWidth_ = width;
  targetHeight_ = height;
  targetSamples_ = samples;
  return targetsComplete_;
}

void Renderer::releaseTargets() {
  drawFramebuffer_.reset();
  drawColour_.reset();
  drawDepth_.reset();
  targetWidth_ = targetHeight_ = targetSamples_ = 0;
  targetsComplete_ = false;
}

Renderer::RingEntry& Renderer::nextRingEntry(std::size_t bytes) {
  ringIndex_ = (ringIndex_ + 1) % kRingSize;
  RingEntry& entry = ring_[static_cast<std::size_t>(ringIndex_)];
  // The GPU may still read this buffer from three frames ago.
  entry.fence.waitAndClear();
  if (bytes > entry.capacity) {
    // A frame larger than its buffer grows it rather than spilling past its end.
    const std::size_t grown = alignUp(std::max(bytes, entry.capacity * 2), 256);
    if (!toldAboutGrowth_) {
      say_("render: a frame of " + std::to_string(bytes) + " bytes outgrew its " + std::to_string(entry.capacity) +
           "-byte buffer; buffers now grow to fit");
      toldAboutGrowth_ = true;
    }
    glBindBuffer(GL_ARRAY_BUFFER, entry.buffer.id());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(grown), nullptr, GL_STREAM_DRAW);
    entry.capacity = grown;
  }
  return entry;
}

glm::vec4 Renderer::shadowFootprint(const Frame& frame, const glm::mat4& lightViewProj) const {
  ShadowFootprint footprint(lightViewProj);
  // The shadow box placed as the shadow pass places it: scaled to half the
  // cube's scale over kCubeHalf, shaken sideways with the cube.
  for (const CubeInst& cube : frame.cubes) {
    const glm::vec3 centre = glm::vec3(cube.posScale) + glm::vec3(cube.anim.x, 0, 0);
    const float scale = cube.posScale.w / kCubeHalf * 0.5f;
    footprint.addBox(glm::scale(glm::translate(glm::mat4(1), centre), glm::vec3(scale)), shadowBox_.low,
                     shadowBox_.high);
  }
  for (const ObjectGroup& group : frame.objects) {
    const GpuMesh* m = mesh(group.mesh);
    if (m == nullptr || m->count == 0) continue;
    for (const ObjInst& inst : group.insts) footprint.addBox(inst.model, m->low, m->high);
  }
  return footprint.bounds();
}

Uniforms Renderer::frameUniforms(const Frame& frame, const ShadowMap& map) const {
  Uniforms uniforms = frame.uniforms;
  uniforms.lightViewProj =
      lightViewProjection(glm::vec3(uniforms.lightDir), frame.shadowCenter, frame.shadowRadius);
  uniforms.params.w = static_cast<float>(map.size);
  uniforms.shadowCasters = shadowFootprint(frame, uniforms.lightViewProj);
  return uniforms;
}

bool Renderer::shadowCasters(const Frame& frame, const glm::mat4& lightViewProj, ShadowMap& map) {
  // Everything the shadow pass reads: the light, and each caster where the
  // pass puts it.
  std::vector<float>& key = nextShadowKey_;
  key.clear();
  const float* light = &lightViewProj[0][0];
  key.insert(key.end(), light, light + 16);
  for (const CubeInst& cube : frame.cubes) {
    key.insert(key.end(), {cube.posScale.x, cube.posScale.y, cube.posScale.z, cube.posScale.w, cube.anim.x});
  }
  for (const ObjectGroup& group : frame.objects) {
    key.push_back(static_cast<float>(group.mesh.id));
    key.push_back(static_cast<float>(group.insts.size()));
    for (const ObjInst& inst : group.insts) key.insert(key.end(), &inst.model[0][0], &inst.model[0][0] + 16);
  }
  // Compared as bytes: a NaN must not make a key differ from itself.
  const bool same = key.size() == map.key.size() &&
                    std::memcmp(key.data(), map.key.data(), key.size() * sizeof(float)) == 0;
  if (same) return false;
  std::swap(map.key, nextShadowKey_);
  return true;
}

void Renderer::upload(const Uniforms& uniforms, const Frame& frame, const FramePacking& packing,
                      const RingEntry& entry) {
  glBindBuffer(GL_ARRAY_BUFFER, entry.buffer.id());
  // The fence already proved the GPU is done with this buffer, so the driver
  // need not synchronise again.
  auto* bytes = static_cast<std::uint8_t*>(
      glMapBufferRange(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(packing.end),
                       GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT));
  auto put = [&](std::size_t offset, const void* data, std::size_t size) {
    if (size == 0) return;
    if (bytes != nullptr) {
      std::memcpy(bytes + offset, data, size);
    } else {
      glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(size), data);
    }
  };
  put(0, &uniforms, sizeof uniforms);
  put(packing.cubes, frame.cubes.data(), frame.cubes.size() * sizeof(CubeInst));
  for (std::size_t g = 0; g < frame.objects.size(); ++g) {
    const auto& insts = frame.objects[g].insts;
    put(packing.groups[g], insts.data(), insts.size() * sizeof(ObjInst));
  }
  if (bytes != nullptr) glUnmapBuffer(GL_ARRAY_BUFFER);
}

void Renderer::drawCubes(const Frame& frame, GLuint buffer, std::size_t base, const GpuMesh& cube,
                         const MainPrograms* programs) {
  if (frame.cubes.empty()) return;
  glUseProgram(programs != nullptr ? programs->cube.id() : cubeShadowProgram_.id());
  glBindVertexArray(cube.vertexArray.id());
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  constexpr std::size_t stride = sizeof(CubeInst);
  setFloatInstance(attribute::kCubePosScale, base + offsetof(CubeInst, posScale), stride);
  setUintInstance(attribute::kCubeClues, base + offsetof(CubeInst, clues), stride);
  setFloatInstance(attribute::kCubeAnim, base + offsetof(CubeInst, anim), stride);
  setUintInstance(attribute::kCubeNbr, base + offsetof(CubeInst, nbr), stride);
  setFloatInstance(attribute::kCubeOrigin, base + offsetof(CubeInst, origin), stride);
  if (programs != nullptr) {
    glActiveTexture(GL_TEXTURE0 + kPictureUnit);
    glBindTexture(GL_TEXTURE_2D, glyphs_.id());
  }
  glDrawElementsInstanced(GL_TRIANGLES, cube.count, GL_UNSIGNED_INT, nullptr,
                          static_cast<GLsizei>(frame.cubes.size()));
}

void Renderer::drawObjects(const Frame& frame, GLuint buffer, const std::vector<std::size_t>& offsets,
                           const MainPrograms* programs) {
  glUseProgram(programs != nullptr ? programs->object.id() : objShadowProgram_.id());
  for (std::size_t g = 0; g < frame.objects.size(); ++g) {
    const ObjectGroup& group = frame.objects[g];
    const GpuMesh* m = mesh(group.mesh);
    if (group.insts.empty() || m == nullptr || m->count == 0) continue;
    glBindVertexArray(m->vertexArray.id());
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    constexpr std::size_t stride = sizeof(ObjInst);
    for (GLuint column = 0; column < 4; ++column) {
      setFloatInstance(attribute::kObjectModel + column,
                       offsets[g] + offsetof(ObjInst, model) + sizeof(glm::vec4) * column, stride);
    }
    setFloatInstance(attribute::kObjectColour, offsets[g] + offsetof(ObjInst, color), stride);
    setFloatInstance(attribute::kObjectExtra, offsets[g] + offsetof(ObjInst, extra), stride);
    if (programs != nullptr) {
      // A group without a picture still has the atlas bound, but is told so:
      // a figure whose picture failed to load is then plain, not striped with
      // glyphs.
      glActiveTexture(GL_TEXTURE0 + kPictureUnit);
      glBindTexture(GL_TEXTURE_2D, group.texture ? group.texture->id : glyphs_.id());
      glUniform1i(programs->hasPictureLocation, group.texture ? 1 : 0);
    }
    glDrawElementsInstanced(GL_TRIANGLES, m->count, GL_UNSIGNED_INT, nullptr, static_cast<GLsizei>(group.insts.size()));
  }
}

void Renderer::shadowPass(const Frame& frame, const FramePacking& packing, GLuint buffer, const ShadowMap& map) {
  // Depth only, seen from the light; the map it draws into must not be
  // bound for sampling meanwhile.
  glActiveTexture(GL_TEXTURE0 + kShadowUnit);
  glBindTexture(GL_TEXTURE_2D, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, map.framebuffer.id());
  glViewport(0, 0, map.size, map.size);
  // The boxes are closed, so their far sides alone give the map: a lit face
  // then never finds itself in the map, so it cannot shadow itself (the
  // boxes stand a little proud of the rounded cubes). Other meshes may be
  // open and are drawn whole.
  constexpr PassState boxes{.cull = GL_FRONT, .offsetFactor = 1.6f, .offsetUnits = 2.0f};
  applyPassState(boxes);
  glClearDepth(1.0);
  glClear(GL_DEPTH_BUFFER_BIT);
  drawCubes(frame, buffer, packing.cubes, shadowBox_, nullptr);
  applyPassState({.offsetFactor = boxes.offsetFactor, .offsetUnits = boxes.offsetUnits});
  drawObjects(frame, buffer, packing.groups, nullptr);
}

void Renderer::mainPass(const Frame& frame, const FramePacking& packing, GLuint buffer,
                        const RenderTarget& target, const MainPrograms& programs, const ShadowMap& map,
                        bool quick) {
  // Shaded in linear light and stored as sRGB.
  glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_.id());
  glViewport(0, 0, target.width, target.height);
  applyPassState({.srgbWrites = true});
  const glm::vec4 bg = frame.uniforms.bg;
  glClearColor(bg.x, bg.y, bg.z, 1.0f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glActiveTexture(GL_TEXTURE0 + kShadowUnit);
  glBindTexture(GL_TEXTURE_2D, map.texture.id());

  glUseProgram(programs.floor.id());
  glBindVertexArray(emptyVertexArray_.id());
  glDrawArrays(GL_TRIANGLES, 0, 6);

  applyPassState({.cull = GL_BACK, .srgbWrites = true});
  // A moving picture's edges need not be round: the plainest cube halves
  // what the driver does for every vertex.
  const int detail =
      quick ? kCubeDetailSteps.front() : cubeDetailSteps(frame, target.width, target.height);
  const auto level = static_cast<std::size_t>(
      std::find(kCubeDetailSteps.begin(), kCubeDetailSteps.end(), detail) - kCubeDetailSteps.begin());
  drawCubes(frame, buffer, packing.cubes, cubeMeshes_.at(level), &programs);
  applyPassState({.srgbWrites = true});
  drawObjects(frame, buffer, packing.groups, &programs);

  // Resolve (or copy) into the caller's framebuffer, sRGB writes still on as
  // the main pass had them.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, drawFramebuffer_.id());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.framebuffer);
  glBlitFramebuffer(0, 0, target.width, target.height, 0, 0, target.width, target.height, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
}

bool Renderer::render(const Frame& frame, const RenderTarget& target, DrawQuality quality) {
  if (target.width <= 0 || target.height <= 0) return false;
  if (!prepare(quality)) {
    quality = quality == DrawQuality::quick ? DrawQuality::full : DrawQuality::quick;
    if (!prepare(quality)) return false;
  }
  int samples = 1;
  if (quality == DrawQuality::full) {
    GLint maxSamples = kSamples;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    samples = std::min<GLint>(kSamples, maxSamples);
  }
  if (!ensureTargets(target.width, target.height, samples)) return false;
  const FramePacking packing = packFrame(frame);
  RingEntry& entry = nextRingEntry(packing.end);
  const bool quick = quality == DrawQuality::quick;
  // A moving picture's shadows come from a map a quarter the size.
  ShadowMap& map = quick ? quickShadow_ : fullShadow_;
  const Uniforms uniforms = frameUniforms(frame, map);
  upload(uniforms, frame, packing, entry);

  if (clipControl_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  glBindBufferRange(GL_UNIFORM_BUFFER, 0, entry.buffer.id(), 0, sizeof(Uniforms));
  // The map is drawn again only when the light or a caster moved: a hover,
  // a mark, or the whole picture after a moving one find it as it was.
  if (shadowCasters(frame, uniforms.lightViewProj, map)) {
    shadowPass(frame, packing, entry.buffer.id(), map);
    debugCheckGl("the shadow pass");
  }
  mainPass(frame, packing, entry.buffer.id(), target, quick ? quickPrograms_ : fullPrograms_, map, quick);
  debugCheckGl("the main pass");
  entry.fence = GlFence::insert();
  return true;
}

}  // namespace sorvel
