#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <iosfwd>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "audio/audio_output.hpp"
#include "audio/sound.hpp"
#include "base/message_sink.hpp"
#include "game/block_cursor.hpp"
#include "game/gpu_records.hpp"
#include "game/preferences.hpp"
#include "game/slot.hpp"
#include "game/types.hpp"
#include "puzzle/puzzle_def.hpp"
#include "puzzle/shelf.hpp"

namespace sorvel {

class SettingsStore;

struct GameOptions {
  // Reads and writes progress in `store` (which must then be given).
  bool persist = false;
  SettingsStore* store = nullptr;
  // Uploads meshes and loads textures; none in tests and tools.
  GpuResources* gpu = nullptr;
  // Where sound is heard; none means silent (the recorder still hears it).
  std::unique_ptr<AudioOutput> audio;
  // The game's resource folder: chapter 1 and the shipped chapters after it
  // (its figures too); empty means the game's own.
  std::filesystem::path resources;
  // The chapters, loaded already by a caller that must report failures
  // itself. Without them the game loads the shipped chapters from
  // `resources`, and throws LoadError when it cannot.
  std::optional<Shelf> shelf;
  // When the game loads the shelf itself: a chapter folder to try, put on
  // the shelf and shown first, and the folder of the player's own chapters;
  // empty for none.
  std::filesystem::path tryChapter;
  std::filesystem::path playerChapters;
  // A language chosen for this run only: it wins over the saved one and is
  // not saved, unless the player then picks one in the settings.
  std::optional<Language> language;
  // Seeds the chips and the choice of sound variants, so tests can pin them.
  std::uint64_t seed = std::random_device{}();
  // Where the demo script prints; standard output when null.
  std::ostream* out = nullptr;
  // Where "autotutorial" writes its sound track; $TMPDIR or /tmp when empty.
  std::filesystem::path tempDir;
  // Where the game reports trouble it plays on through (a damaged figure),
  // and where the sound reports a device that would not start.
  MessageSink say = linesTo(stderr);
  MessageSink soundSay = linesTo(stdout);
};

// The orbit camera: current values ease towards the goals every tick.
struct Camera {
  float yaw = 0, pitch = 0.3f, dist = 40;
  glm::vec3 target{0, 3, 0};
  float goalYaw = 0, goalPitch = 0.3f, goalDist = 40;
  glm::vec3 goalTarget{0, 3, 0};
  float zoom = 1;  // the player's own zoom, kept within kMinZoom..kMaxZoom
  float goalZoom = 1;  // the zoom eases here when a flight resets it
  float aspect = 1.6f;
  float vfov = 0.52359873f;  // 30 degrees, never changed

  static constexpr float kMinZoom = 0.55f;
  static constexpr float kMaxZoom = 1.6f;
};

// The one controller of a run: the blocks on the table, the camera, the
// animations, the rules of play, saving, the guide and the demo script.
// Everything runs on the main thread.
class Game {
 public:
  explicit Game(GameOptions options);
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // --- Published fields: a write that changes a value bumps revision(), so
  // the window takes a new snapshot for the interface only then. Writing the
  // value already there bumps nothing.
  std::uint64_t revision() const { return revision_; }
  Screen screen() const { return screen_; }
  Tool tool() const { return tool_; }
  // The player's choice of tool, carve or mark.
  void setTool(Tool v) { publish(tool_, v); }
  std::optional<int> current() const { return current_; }
  int mistakes() const { return mistakes_; }
  int peel() const { return peel_; }
  int peelMax() const { return peelMax_; }
  const std::set<std::string>& solvedIDs() const { return solvedIDs_; }
  bool showTutorial() const { return showTutorial_; }
  bool revealCard() const { return revealCard_; }
  double lastTime() const { return lastTime_; }
  const std::optional<Guide>& guide() const { return guide_; }
  const std::optional<TouchFX>& touchFX() const { return touchFX_; }

  // --- Screens
  void open(int index);
  // The player's way in from the table: a closed chapter's blocks refuse.
  void openFromTable(int index);
  void goHome(bool animated);
  void nextPuzzle();
  void restartCurrent();

  int slotCount() const { return static_cast<int>(slots_.size()); }
  // The block at `i` on the table, 0 <= i < slotCount().
  const Slot& slot(int i) const { return *slots_.at(static_cast<size_t>(i)); }
  const Slot* currentSlot() const;
  std::string currentName() const;
  int figureCount() const;
  int solvedCount() const;
  std::string playTitle() const;
  // The chapter shown on the table, whose blocks are slot(0..).
  const ChapterDef& chapter() const { return shelf_.chapters[static_cast<size_t>(shownChapter_)].chapter; }

  // --- The shelf of chapters
  int chapterCount() const { return static_cast<int>(shelf_.chapters.size()); }
  int shownChapter() const { return shownChapter_; }
  const Chapter& shelfChapter(int n) const { return shelf_.chapters.at(static_cast<size_t>(n)); }
  // The title line: "Capítulo N · Nombre" for the game's chapters, the
  // name alone for a player's.
  std::string chapterTitle(int n) const;
  // A game's chapter opens once half the figures of the one before are
  // carved; the first, and every chapter of the player's, are always open.
  bool chapterOpen(int n) const;
  // Figures still to carve in the chapter before for `n` to open; 0 when open.
  int figuresToOpen(int n) const;
  // Brings chapter `n` onto the table, flying there from the side it lies
  // on; only from the table, and only to a chapter that exists.
  void showChapter(int n);

  // --- Camera and table
  const Camera& camera() const { return camera_; }
  bool portrait() const { return portrait_; }
  float homeWidth() const { return homeWidth_; }
  float homeSway() const { return homeSway_; }
  glm::vec3 bg() const { return bg_; }
  glm::vec3 eye() const;
  glm::mat4 viewProj() const;
  void viewportChanged(float aspect);
  float homeDistance() const;
  float fitDistance(const Slot& slot) const;
  glm::vec3 playTarget(const Slot& slot) const;
  void snapCamera();
  void drag(glm::vec2 d);
  // The wheel, pinch and zoom keys: the player's zoom times `factor`, kept
  // within Camera::kMinZoom..kMaxZoom. The table has no zoom.
  void zoomBy(float factor);
  // Puts the camera at once where a capture asks: goal yaw and pitch, zoom.
  void placeCamera(float yaw, float pitch, float zoom);

  // --- Carving and marking
  // What a tap on cell `i` of the open block does with `tool`; nothing off
  // the playing screen or outside the block.
  void act(int i, Tool tool);
  void autoMark(int count);
  bool autoCarveStep();
  void tapCell(int x, int y, int z);

  // --- Undo
  // Takes back the last carve or mark of the open block, or does again the
  // last one taken back. The history starts afresh with every block opened,
  // and ends once the block is solved. A mistake stays counted.
  void undo();
  void redo();
  bool canUndo() const;
  bool canRedo() const;

  // --- Progress
  // Forgets every block's progress, in the store too, but not the player's
  // preferences; the table comes back as at a first start, without the
  // tutorial opening.
  void eraseProgress();

  // --- Layers
  int peelAxis() const { return peelAxis_; }  // 0: x, anything else: z
  float peelSign() const { return peelSign_; }
  void setPeel(int n);
  bool visible(const Slot& slot, int i) const;

  // --- Pointer
  int hover() const { return hover_; }  // the open block's cell under the pointer, or -1
  // The block under the pointer on the table; it rises a little to say that
  // a click opens it.
  std::optional<int> hoveredSlot() const { return hoveredSlot_; }
  void tap(glm::vec2 p, bool alternate);
  void showTouch(glm::vec2 p);
  void hoverAt(std::optional<glm::vec2> p);  // nothing: the pointer left the view

  // --- Keyboard cursor
  // The open block's cell under the keyboard cursor; none while it is hidden
  // or off the playing screen. It keeps to what is seen: when its cube goes
  // or turns out of sight it takes what is now seen where it was.
  std::optional<int> cursor() const;
  // A step of the cursor in the screen's directions (dx right, dy down). A
  // hidden cursor is only shown, on what is seen at the middle of the view.
  void moveCursor(int dx, int dy);
  // The active tool, or the other, on the cursor's cube, as a tap on it
  // would; a hidden cursor is shown instead.
  void applyAtCursor(bool otherTool);
  // The pointer is in use again: the cursor hides and its place is forgotten.
  void hideCursor();
  // The camera turned by whole steps, easing there: yaw in 30-degree steps
  // (negative turns left, as a drag to the left does), pitch up from above
  // (positive) or down. Nothing on the table.
  void turnStep(int yawSteps, int pitchSteps);
  // The table's highlight moved `step` blocks across the screen (negative to
  // the left), stopping at the ends; the first press lights the block
  // nearest the middle of the view. It is the pointer's hover lift.
  void moveHighlight(int step);
  // Opens the highlighted block, if any.
  void openHighlighted();

  // --- Time
  float time() const { return time_; }
  float clueAlpha() const { return clueAlpha_; }
  float revealT() const { return revealT_; }  // see reveal_timing.hpp: kNone, then up from 0 to kOver; kLongOver
  const std::vector<Chip>& chips() const { return chips_; }
  MeshHandle chipMesh() const { return chipMesh_; }
  // Advances everything by `dt` seconds of real time: animations in steps
  // of at most kLongestStep, a stall cut to kLongestAnimatedTick; the play
  // clock by up to kLongestPlayClockTick.
  void tick(double dt);
  static constexpr double kLongestStep = 0.05;
  static constexpr double kLongestAnimatedTick = 0.25;
  static constexpr double kLongestPlayClockTick = 2;
  void clearChips();
  // What moves now; a window need not draw while nothing does.
  Motion motion() const;
  // Turns the open block's figure (a capture's chosen pose).
  void setToySpin(float radians);

  // --- Sound
  const Sound& sound() const { return sound_; }
  // Silences every sound from now on; the recorder still hears them.
  void setMuted(bool muted);
  // While paused, a block in play gathers no play time (the window is in the
  // background or minimised); everything else goes on.
  void setPlayClockPaused(bool paused) { playClockPaused_ = paused; }
  // Hands every sound played from now on to `recorder` (a test listening, a
  // film's sound track); an empty one hears nothing.
  void setSoundRecorder(Sound::Recorder recorder);

  // --- Preferences that change the picture (set through setPreferences)
  // Marked cubes of the open block carry a pattern as well as their glaze,
  // and a mistake's flash a cross, so neither relies on colour.
  bool patternMarks() const { return preferences_.patternMarks; }
  // The camera lands at once on every goal instead of flying there, and the
  // table stops swaying; refused carves do not shake and touches leave no
  // ripple. Flashes and sounds stay.
  bool reducedMotion() const { return preferences_.reducedMotion; }

  // --- The scene of this moment, for the renderer. Changes nothing.
  Frame frame() const;

  // --- Guide
  bool guideIntroDone() const { return guideIntroDone_; }
  const std::set<int>& guideCells() const { return guideCells_; }
  void updateGuide();
  void acknowledgeGuide();  // the guide card's "Vale"

  // The tutorial card: shown, and its done action.
  void showTutorialCard();
  void dismissTutorialCard();

  // --- Settings card and the player's preferences
  const Preferences& preferences() const { return preferences_; }
  // Applied at once, and saved under their own keys when the game persists.
  void setPreferences(Preferences preferences);
  SettingsCard settingsCard() const { return settingsCard_; }
  void openSettings();
  void closeSettings();
  // "Borrar el progreso" asks once more; only the second answer erases.
  void askToErase();
  void cancelErase();
  void confirmErase();

  // --- Demo script
  void demo(const std::string& text);
  // Whether a demo still has steps waiting for their time.
  bool scriptPending() const { return !script_.empty(); }
  float scriptTime() const { return scriptT_; }

  // Saves the open block, so play time since the last action survives a quit.
  void saveOpenPuzzle();

  bool persist() const { return persist_; }

  static constexpr size_t kMaxChips = 600;

 private:
  // Tests reach in here to set up moments play would take long to reach, or
  // could never reach; defined under tests/ only.
  friend struct GameTestAccess;

  template <typename T>
  void publish(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    ++revision_;
  }
  void setScreen(Screen v) { publish(screen_, v); }
  void setCurrent(std::optional<int> v) { publish(current_, v); }
  void setMistakes(int v) { publish(mistakes_, v); }
  void setPeelValue(int v) { publish(peel_, v); }
  void setPeelMax(int v) { publish(peelMax_, v); }
  void setSolvedIDs(std::set<std::string> v) { publish(solvedIDs_, std::move(v)); }
  void setShowTutorial(bool v) { publish(showTutorial_, v); }
  void setRevealCard(bool v) { publish(revealCard_, v); }
  void setLastTime(double v) { publish(lastTime_, v); }
  void setGuide(std::optional<Guide> v) { publish(guide_, std::move(v)); }
  void setTouchFX(std::optional<TouchFX> v) { publish(touchFX_, std::move(v)); }
  void setSettingsCard(SettingsCard v) { publish(settingsCard_, v); }
  // What the preferences change outside the published fields.
  void applyPreferences();

  // The open block, to change it; currentSlot() only reads it.
  Slot* openSlot();

  // The shelf.
  std::vector<std::unique_ptr<Slot>> buildSlots(const Chapter& chapter);
  void restoreShownChapter();
  // Chapter n's blocks on the table in place of those shown, laid out.
  void bringOnTable(int n);

  // Persistence.
  void restoreProgress(Slot& slot);
  void save(const Slot& slot);
  void saveSolved();

  // Carving.
  void act(Slot& slot, int i, Tool tool);
  // A surplus cube breaks off, by a tap or a redo; the last one starts the reveal.
  void breakOff(Slot& slot, int i);
  void startReveal(Slot& slot);

  // Camera and table.
  void layout();
  glm::vec2 portraitSpacing() const;
  glm::vec3 homeTarget() const;
  float homePitch() const;
  float tableFitDistance() const;
  float farPlane() const;
  float playDistanceFactor(const Slot& slot) const;
  float solvedLift(const Slot& slot) const;
  void aimAtSolved(Slot& slot, float yaw);
  void easeCamera(float d);

  // Layers.
  void updatePeelAxis();
  int peelDepth(const Slot& slot) const;

  // Picking.
  std::pair<glm::vec3, glm::vec3> ray(glm::vec2 p) const;
  std::optional<int> pick(const Slot& slot, glm::vec2 p) const;
  // The block on the table at view point `p`, plinth and all.
  std::optional<int> slotAt(glm::vec2 p) const;

  // Frame assembly.
  void addSlotCubes(const Slot& slot, bool isCurrent, float grow, std::vector<CubeInst>& cubes) const;
  std::uint32_t neighbourMask(const Slot& slot, int x, int y, int z, bool active, bool solved) const;
  // Of the face neighbours in `neighbours`, those standing still beside a
  // cube that stands still itself.
  std::uint32_t stillNeighbours(const Slot& slot, glm::ivec3 c, std::uint32_t neighbours) const;

  // Tick.
  void step(float d);
  void tickCells(Slot& slot, float d);
  void tickToy(Slot& slot, float d);
  void tickReveal(Slot& slot, float d);
  void tickChips(float d);
  void spawnChips(glm::vec3 p, int count, float power);
  float random(float lo, float hi);

  // Demo.
  using ScriptEntry = std::pair<float, std::function<void()>>;
  void runScript(std::vector<ScriptEntry> entries);
  void carveUntilSolved();
  // The demo's block commands; false when block `index` does not exist.
  bool demoNeedsSlot(int index, const std::string& command);
  void guideRun();
  void autoTutorial();
  std::ostream& out();

  // Declared before options_: the sound takes the audio output out of the
  // options before they are kept.
  Sound sound_;
  Shelf shelf_;
  int shownChapter_ = 0;
  // The shown chapter's blocks; those of the others wait here, built the
  // first time their chapter is shown.
  std::vector<std::unique_ptr<Slot>> slots_;
  std::vector<std::vector<std::unique_ptr<Slot>>> parkedSlots_;
  MeshHandle chipMesh_;
  Camera camera_;
  bool portrait_ = false;
  bool twoRows_ = false;  // the wide table's blocks stand in two rows
  float homeWidth_ = 37;
  int peelAxis_ = 2;
  float peelSign_ = 1;
  float time_ = 0;
  float clueAlpha_ = 0;
  float revealT_ = -1;
  std::vector<Chip> chips_;
  int hover_ = -1;
  std::optional<int> hoveredSlot_;
  float homeSway_ = 0;
  glm::vec3 bg_;
  const bool persist_;
  bool guideIntroDone_ = false;
  std::set<int> guideCells_;
  std::vector<ScriptEntry> script_;
  float scriptT_ = 0;

  GameOptions options_;
  bool playClockPaused_ = false;
  std::mt19937_64 rng_;
  std::uint64_t revision_ = 0;

  Screen screen_ = Screen::home;
  Tool tool_ = Tool::carve;
  std::optional<int> current_;
  int mistakes_ = 0;
  int peel_ = 0;
  int peelMax_ = 1;
  std::set<std::string> solvedIDs_;
  bool showTutorial_ = false;
  bool revealCard_ = false;
  double lastTime_ = 0;
  std::optional<Guide> guide_;
  std::optional<TouchFX> touchFX_;
  Preferences preferences_;
  // Whether the language shown is the one --lang chose, not the player's own.
  bool languageForRun_ = false;
  bool saidNoEnglish_ = false;
  SettingsCard settingsCard_ = SettingsCard::closed;
  // Undo: one cell's change made by act() on the open block.
  struct Step {
    int cell;
    CellState before, after;
  };
  void recordStep(int cell, CellState before, CellState after);
  void clearHistory();
  std::vector<Step> history_;
  size_t historyDone_ = 0;  // steps of history_ in effect; those past it can be redone
  // Keyboard cursor.
  BlockView cursorView(const Slot& slot) const;
  // What is seen at view point `p` of the open block: the cube picked there,
  // else the seen face nearest it.
  std::optional<CursorSpot> spotAt(const Slot& slot, const BlockView& view, glm::vec2 p) const;
  // Where the cursor stands now, the view having changed since it was put.
  std::optional<CursorSpot> cursorSpot() const;
  std::optional<CursorSpot> cursor_;  // on the open block; none while hidden
};

}  // namespace sorvel
