// The window's runs, made through the command line's port: the same site
// logic fills the same lists, so every row is the one the window shows.
// Texts are GBK.
#pragma once

#include <functional>
#include <string>

#include "cli/memory_port.h"

namespace cli {

// The search mode's 获取结果: the hits in 超级列表框2.
void run_search(memory_port& port, const std::string& keyword);
// 获取地址 on hit `hit` (0-based row of 超级列表框2): its episodes in 超级列表框1.
// `episode` is told k as episode k's play page is fetched.
void run_hit(memory_port& port, int hit, const std::function<void(int)>& episode = {});
// The ID mode's 获取结果: `count` episodes of the programme.
void run_episodes(memory_port& port, const std::string& programme_id, const std::string& count,
                  const std::function<void(int)>& episode = {});
// The no-episode mode's 获取结果: one video's row.
void run_video(memory_port& port, const std::string& video_id);

}  // namespace cli
