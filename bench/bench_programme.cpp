#include "bench/bench_programme.h"

#include <fstream>

namespace bench_programme {

void write(const std::filesystem::path& folder, int episodes) {
    std::filesystem::create_directories(folder / "programmes");
    std::filesystem::create_directories(folder / "v_xml");
    std::ofstream programme(folder / "programmes" / (programme_id + ".txt"), std::ios::binary);
    programme << "# Generated for the address-run benchmarks.\nname: 毒战\ntype: tv\npush flag: 1\n";
    for (int n = 1; n <= episodes; ++n) programme << "episode: 毒战 第" << n << "集 | " << vid_of(n) << "\n";
    for (int n = 1; n <= episodes; ++n) {
        const std::string v = vid_of(n);
        const std::string s = "http:\\/\\/{STREAM_HOST}\\/stream\\/v" + v;
        std::ofstream d(folder / "v_xml" / (v + ".xml"), std::ios::binary);
        d << R"({"code":"A00000","data":{"vid":")" << v << R"(","title":"\u6bd2\u6218 \u7b2c)" << n
          << R"(\u96c6","duration":"2710","mp4_1080p":[")" << s << "\\/1080.mp4?key=fhdv" << v
          << R"(&tss=no","http:\/\/{STREAM_HOST}\/backup\/v)" << v << "\\/1080.mp4?key=fhdv" << v
          << R"(&tss=no"],"mp4_720p":[")" << s << "\\/720.mp4?key=hdv" << v << R"(&tss=no"],"flv_1300":[")" << s
          << "\\/1300.flv?key=scv" << v << R"(&tss=no"],"flv_1000":[")" << s << "\\/1000.flv?key=hcv" << v
          << R"(&tss=no"],"flv_350":[")" << s << "\\/350.flv?key=smv" << v << "&tss=no\"]}}";
    }
}

}  // namespace bench_programme
