// A file dropped on the display window reaches the loader through SDL's
// event queue, and other events are left to the rest of the loop.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <string>
#include <vector>

#include "desktop/DesktopRun.h"

namespace {

std::vector<std::string> loaded;
void Load(const char* path) { loaded.emplace_back(path); }

TEST(DropFile, DroppedPathIsLoadedOnce) {
  ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
  SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
  const char* path = "/tmp/dropped game.sms";
  SDL_Event drop{};
  drop.type = SDL_DROPFILE;
  drop.drop.file = static_cast<char*>(SDL_malloc(std::strlen(path) + 1));
  std::strcpy(drop.drop.file, path);
  ASSERT_EQ(SDL_PushEvent(&drop), 1) << SDL_GetError();
  SDL_Event other{};
  other.type = SDL_USEREVENT;
  ASSERT_EQ(SDL_PushEvent(&other), 1);

  loaded.clear();
  std::vector<bool> handled;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_DROPFILE || event.type == SDL_USEREVENT) handled.push_back(HandleDroppedFile(event, Load));
  }
  SDL_Quit();
  EXPECT_EQ(handled, (std::vector<bool>{true, false}));
  EXPECT_EQ(loaded, (std::vector<std::string>{path}));
}

}  // namespace
