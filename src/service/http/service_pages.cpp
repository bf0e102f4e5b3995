#include "service/http/service_pages.h"

namespace quorvel::service {

std::string_view TipPage() {
  return R"html(<!DOCTYPE html>
<html lang="zh-CN">
<head><meta charset="utf-8"><title>Quorvel 小提示</title>
<style>body{font:13px/1.6 sans-serif;margin:8px;color:#333}h1{font-size:15px;color:#c00}</style>
</head>
<body>
<h1>小提示</h1>
<p>点击上方的游戏按钮可以只看该游戏的外挂；在搜索框输入名称后点击“搜索”可以查找外挂。</p>
<p>选中列表中的一行，下载地址会显示在窗口下方，选中地址即可打开下载页面。</p>
</body>
</html>
)html";
}

std::string_view NoticePage() {
  return R"html(<!DOCTYPE html>
<html lang="zh-CN">
<head><meta charset="utf-8"><title>公告</title>
<style>body{margin:0;padding:4px 14px;font:12px/1.5 sans-serif;background:#fff8dc;color:#8b4513}
b{color:#c00}</style>
</head>
<body>
<b>公告：</b>本站所有外挂均为网友分享，仅供学习交流使用，请在下载后24小时内删除。
新版本每周五更新，遇到无法下载的地址请换一个下载方式。
</body>
</html>
)html";
}

std::string_view PartnerHomePage() {
  return R"html(<!DOCTYPE html>
<html lang="zh-CN">
<head><meta charset="utf-8"><title>星河游戏网 - 合作伙伴</title>
<style>
body{margin:0;min-width:640px;font:13px/1.6 sans-serif;background:#0b1f3a;color:#fff}
.top{height:32px;line-height:32px;padding-left:12px;background:#06142a;font-size:12px}
.top a{color:#9cc3ff;margin-right:10px;text-decoration:none}
.main{display:flex;width:640px}
.side{width:120px;background:#13294b;padding:8px;box-sizing:border-box;font-size:12px}
.offer{width:250px;padding:12px;box-sizing:border-box;
  background:linear-gradient(160deg,#ff8a00,#e52e71);text-align:center}
.offer h1{margin:6px 0;font-size:22px}
.offer .btn{display:inline-block;margin-top:8px;padding:6px 18px;border-radius:16px;
  background:#fff;color:#e52e71;font-weight:bold;text-decoration:none}
.news{flex:1;padding:10px;font-size:12px;background:#102a52}
.news li{margin:4px 0}
</style>
</head>
<body>
<div class="top"><a href="/">首页</a><a href="/">新游</a><a href="/">礼包</a><a href="/">论坛</a></div>
<div class="main">
  <div class="side">热门分类<br>角色扮演<br>射击竞技<br>休闲益智<br>网页游戏</div>
  <div class="offer">
    <div>星河游戏网 新服开启</div>
    <h1>注册送豪华礼包</h1>
    <div>每日签到领金币，首充双倍返利</div>
    <a class="btn" href="/">立即领取</a>
  </div>
  <div class="news"><ul>
    <li>《星河传说》今日10点开新服</li>
    <li>周末双倍经验活动开始</li>
    <li>新手攻略：三天升到五十级</li>
    <li>玩家投稿：我的第一把神器</li>
  </ul></div>
</div>
</body>
</html>
)html";
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out.append("&amp;");
        break;
      case '<':
        out.append("&lt;");
        break;
      case '>':
        out.append("&gt;");
        break;
      case '"':
        out.append("&quot;");
        break;
      case '\'':
        out.append("&#39;");
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string DownloadPage(const std::optional<CatalogueEntry>& entry, std::string_view entry_id) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head><meta charset=\"utf-8\"><title>";
  if (!entry) {
    page.append("没有这个外挂</title></head>\n<body>\n<h1>没有编号为 ")
        .append(HtmlEscape(entry_id))
        .append(" 的外挂</h1>\n<p>它可能已被删除，请回到客户端刷新列表。</p>\n</body>\n</html>\n");
    return page;
  }
  page.append(HtmlEscape(entry->title))
      .append(" - 下载</title></head>\n<body>\n<h1>")
      .append(HtmlEscape(entry->title))
      .append("</h1>\n<table>\n<tr><th>外挂分类</th><td>")
      .append(HtmlEscape(entry->category))
      .append("</td></tr>\n<tr><th>授权方式</th><td>")
      .append(HtmlEscape(entry->licence_mode))
      .append("</td></tr>\n<tr><th>更新时间</th><td>")
      .append(HtmlEscape(entry->update_time))
      .append("</td></tr>\n<tr><th>编号</th><td>")
      .append(HtmlEscape(entry->entry_id))
      .append(
          "</td></tr>\n</table>\n<p>这是一个演示目录：此处没有真正的文件可供下载。</p>\n"
          "</body>\n</html>\n");
  return page;
}

}  // namespace quorvel::service
