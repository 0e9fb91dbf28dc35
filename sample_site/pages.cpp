#include "sample_site/pages.h"

namespace sample_site {
namespace {

constexpr std::string_view head_start = "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"><title>";
constexpr std::string_view head_end = "</title></head>\n<body>\n";
constexpr std::string_view page_end = "</body>\n</html>\n";

std::string escape_html(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string page_head(std::string_view title) {
    return std::string(head_start) + escape_html(title) + std::string(head_end);
}

std::string record(const programme& p, std::string_view site, std::string_view pid) {
    const bool caps = p.capitals;
    std::string r;
    r += "so.push({";
    r += caps ? "PID:'" : "pid:'";
    r += pid;
    r += caps ? "',KEYWORD:'" : "',keyWord:'";
    r += p.name + "',pushFlag:'" + p.push_flag + "',site:'";
    r += site;
    r += "',type:'" + p.type + "',total:'" + p.total + "',newplay:'" + p.newplay + "',url:'/tv/" +
         std::string(pid) + ".html'});\n";
    return r;
}

std::string video_lines(const programme& p, const video_entry& v, std::size_t episode) {
    std::string lines = "{\n";
    lines += p.capitals ? "    VID:" : "    vid:";
    lines += v.vid + ",//视频ID\n";
    lines += "    title:\"" + v.title + "\",//视频名称\n";
    lines += "    pid:" + p.id + ",//节目ID\n";
    lines += "    episode:" + std::to_string(episode) + ",//集数\n";
    lines += "}";
    return lines;
}

}  // namespace

std::string search_page(const site_data& data, std::string_view keyword) {
    std::string records;
    const programme* first_hit = nullptr;
    std::size_t hits = 0;
    for (const auto& p : data.programmes) {
        if (p.name.find(keyword) == std::string::npos) continue;
        if (!first_hit) first_hit = &p;
        ++hits;
        records += record(p, "", p.id);
    }
    if (first_hit) {
        records += "// elsewhere: listed by the partner site, not playable here\n";
        records += record(*first_hit, "other", "9" + first_hit->id);
    }

    std::string page = page_head("搜索结果");
    page += "<div class=\"summary\">找到 " + std::to_string(hits) + " 个节目</div>\n";
    page += "<script type=\"text/javascript\">\nvar so = [];\n" + records + "</script>\n";
    page += page_end;
    return page;
}

std::string series_page(const programme& p) {
    std::string page = page_head(p.series_title);
    page += "<script type=\"text/javascript\">\nvar albumInfo = {\n";
    page += "    pid:" + p.id + ",//节目ID\n";
    page += "    title:\"" + p.series_title + "\",//视频名称\n";
    page += "    count:" + std::to_string(p.episodes.size()) + ",//集数\n";
    page += "};\n</script>\n<ul class=\"episodes\">\n";
    for (std::size_t n = 1; n <= p.episodes.size(); ++n) {
        page += "<li><a href=\"/ptv/pplay/" + p.id + "/" + std::to_string(n) + ".html\">" +
                escape_html(p.episodes[n - 1].front().title) + "</a></li>\n";
    }
    page += "</ul>\n";
    page += page_end;
    return page;
}

std::string play_page(const programme& p, std::size_t episode) {
    const auto& videos = p.episodes.at(episode - 1);
    std::string page = page_head(videos.front().title);
    page += "<script type=\"text/javascript\">\nvar videoList = [";
    for (std::size_t i = 0; i < videos.size(); ++i) {
        if (i > 0) page += ", ";
        page += video_lines(p, videos[i], episode);
    }
    page += "];\n</script>\n<div class=\"player\" data-episode=\"" + std::to_string(episode) + "\"></div>\n";
    page += page_end;
    return page;
}

std::string descriptor(std::string_view template_text, std::string_view stream_host) {
    std::string out;
    for (;;) {
        const auto at = template_text.find(stream_host_placeholder);
        out += template_text.substr(0, at);
        if (at == std::string_view::npos) return out;
        out += stream_host;
        template_text.remove_prefix(at + stream_host_placeholder.size());
    }
}

std::string error_page(int status) {
    const std::string code = std::to_string(status);
    const char* text = status == 404 ? "页面不存在" : status >= 500 ? "服务器错误" : "请求有误";
    return page_head(code) + "<h1>" + code + " " + text + "</h1>\n<p>sample site</p>\n" +
           std::string(page_end);
}

std::string hostile_page(const site_data& data) {
    std::string page = page_head("hostile");
    page += "<script type=\"text/javascript\">\nvar so = [];\n";
    if (!data.programmes.empty()) {
        const auto& p = data.programmes.front();
        page += record(p, "", p.id);
        page += "var videoList = [" + video_lines(p, p.episodes.front().front(), 1) + "];\n";
    }
    page += "var junk = \"";
    for (int i = 0; i < 300; ++i) page += "pid:'',keyWord:'',pushFlag:'',";
    for (int i = 0; i < 20000; ++i) page += "vid:";
    page += "\";\n</script>\n";
    page += page_end;
    return page;
}

}  // namespace sample_site
