#!/usr/bin/env python3
"""Writes protocol_cn.rtf and protocol_en.rtf from the licence texts below.

Both documents share one header (code page 936, a Chinese and a Latin font)
so the licence dialog reads them the same way. The output is 7-bit: GBK
bytes go out as \\'hh escapes, characters outside GBK as \\uN?.
Run it from any folder; it writes next to itself.
"""
import os

HEADER = ("{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
          "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
          "{\\f1\\fswiss\\fcharset0 Arial;}}\n"
          "{\\colortbl ;\\red56\\green56\\blue56;\\red28\\green95\\blue184;}\n"
          "\\viewkind4\\uc1\\pard\\sa120\\cf1\\f0\\fs20\n")

# (kind, text): "title", "heading" or "para".
TEXT_EN = [
    ("title", "Tovadoc End User Licence Agreement"),
    ("para", "Please read this agreement carefully before you install or use Tovadoc "
             "(\"the Software\"). By ticking the agreement box and installing the "
             "Software you accept these terms. If you do not accept them, close the "
             "installer; nothing will be installed."),
    ("heading", "1. Grant of licence"),
    ("para", "Tovadoc grants you a personal, non-exclusive, non-transferable licence to "
             "install and use the Software on computers that you own or control, for "
             "converting your own documents between PDF and Word formats."),
    ("heading", "2. Restrictions"),
    ("para", "You may not sell, rent, lend or sublicense the Software; decompile, "
             "disassemble or otherwise try to derive its source code, except where the "
             "law expressly allows it; remove or alter any notice of ownership; or use "
             "the Software to process documents that you have no right to copy or change."),
    ("heading", "3. Downloads and updates"),
    ("para", "The installer downloads the Software and the components it needs, such "
             "as the .NET Framework, from the Internet at install time. Updates that "
             "Tovadoc provides are part of the Software and fall under this agreement."),
    ("heading", "4. Information we collect"),
    ("para", "When the installation ends, the installer sends one anonymous record to "
             "our statistics server: the distribution channel, the version, the "
             "interface language and the hardware address of a network adapter. We use "
             "it only to count installations and never sell it. Your documents never "
             "leave your computer."),
    ("heading", "5. Ownership"),
    ("para", "The Software is licensed, not sold. Tovadoc and its suppliers keep all "
             "rights, title and interest in it, including copyright and trade marks."),
    ("heading", "6. No warranty"),
    ("para", "The Software is provided \"as is\". To the extent the law allows, "
             "Tovadoc gives no warranty of any kind, express or implied, including "
             "fitness for a particular purpose. Always keep a copy of your original "
             "documents."),
    ("heading", "7. Limitation of liability"),
    ("para", "To the extent the law allows, Tovadoc is not liable for any indirect, "
             "incidental or consequential damage, or for loss of data or profit, "
             "arising from the use of the Software or from being unable to use it."),
    ("heading", "8. Termination"),
    ("para", "This licence ends automatically if you break its terms. You may end it "
             "at any time by uninstalling the Software and deleting every copy."),
    ("heading", "9. Governing law"),
    ("para", "This agreement is governed by the laws of the place where Tovadoc has "
             "its registered office. Questions about it can be sent to our customer "
             "service."),
    ("para", "\u00a9 2026 Tovadoc. All rights reserved."),
]

TEXT_CN = [
    ("title", "Tovadoc 最终用户许可协议"),
    ("para", "在安装或使用 Tovadoc（以下简称\u201c本软件\u201d）之前，请仔细阅读本协议。"
             "勾选同意框并安装本软件，即表示您接受本协议的全部条款。如果您不接受，"
             "请关闭安装程序，本软件不会被安装。"),
    ("heading", "一、许可的授予"),
    ("para", "Tovadoc 授予您一项个人的、非独占的、不可转让的许可，允许您在您拥有或"
             "控制的计算机上安装和使用本软件，用于在 PDF 与 Word 格式之间转换您自己的文档。"),
    ("heading", "二、使用限制"),
    ("para", "您不得出售、出租、出借或再许可本软件；不得反编译、反汇编或以其他方式"
             "试图获取其源代码，法律明确允许的除外；不得删除或修改任何权属声明；"
             "不得使用本软件处理您无权复制或修改的文档。"),
    ("heading", "三、下载与更新"),
    ("para", "安装程序在安装时从互联网下载本软件及其所需的组件，例如 .NET Framework。"
             "Tovadoc 提供的更新属于本软件的一部分，同样适用本协议。"),
    ("heading", "四、我们收集的信息"),
    ("para", "安装结束时，安装程序会向我们的统计服务器发送一条匿名记录：分发渠道、"
             "版本号、界面语言以及一块网卡的硬件地址。我们仅将其用于统计安装次数，"
             "绝不出售。您的文档始终保留在您的计算机上。"),
    ("heading", "五、所有权"),
    ("para", "本软件是许可使用而非出售。Tovadoc 及其供应商保留对本软件的一切权利、"
             "所有权和利益，包括著作权和商标权。"),
    ("heading", "六、免责声明"),
    ("para", "本软件按\u201c现状\u201d提供。在法律允许的范围内，Tovadoc 不作任何明示"
             "或默示的保证，包括对特定用途适用性的保证。请始终保留原始文档的副本。"),
    ("heading", "七、责任限制"),
    ("para", "在法律允许的范围内，对于因使用或无法使用本软件而产生的任何间接、附带"
             "或后果性损害，或数据、利润的损失，Tovadoc 不承担责任。"),
    ("heading", "八、协议的终止"),
    ("para", "如果您违反本协议的条款，本许可自动终止。您也可以随时卸载本软件并删除"
             "其全部副本以终止本许可。"),
    ("heading", "九、适用法律"),
    ("para", "本协议受 Tovadoc 注册地法律管辖。如对本协议有任何疑问，请联系我们的客服。"),
    ("para", "\u00a9 2026 Tovadoc 版权所有。"),
]


def escape(text):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 0x80:
            out.append(ch)
        else:
            try:
                raw = ch.encode("gbk")
            except UnicodeEncodeError:
                raw = b""
            # Typographic marks that GBK also holds go out as \uN so that a
            # reader without the code page still shows them.
            if ch in "\u201c\u201d\u00a9" or not raw:
                n = ord(ch)
                out.append("\\u%d?" % (n if n < 0x8000 else n - 0x10000))
            else:
                out.append("".join("\\'%02x" % b for b in raw))
    return "".join(out)


def render(paragraphs, latin):
    body_font = "\\f1" if latin else "\\f0"
    lines = [HEADER]
    for kind, text in paragraphs:
        if kind == "title":
            lines.append("\\pard\\qc\\sa240\\cf2%s\\b\\fs32 %s\\b0\\fs20\\cf1\\par\n" % (body_font, escape(text)))
        elif kind == "heading":
            lines.append("\\pard\\sb120\\sa60%s\\b\\fs22 %s\\b0\\fs20\\par\n" % (body_font, escape(text)))
        else:
            lines.append("\\pard\\sa120%s\\fs20 %s\\par\n" % (body_font, escape(text)))
    lines.append("}\n")
    data = "".join(lines)
    assert all(ord(c) < 0x80 for c in data)
    return data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, paragraphs, latin in (("protocol_cn.rtf", TEXT_CN, False), ("protocol_en.rtf", TEXT_EN, True)):
        with open(os.path.join(here, name), "w", encoding="ascii", newline="\r\n") as f:
            f.write(render(paragraphs, latin))


if __name__ == "__main__":
    main()
