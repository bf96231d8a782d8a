"""Text files of the package: the application manager's .ini, the device readme, the licence."""

CRLF = "\r\n"


def manager_ini(name):
    """The application manager's description of a package. The blank after "Version", the blank
    after the section name and the one after the Uninstall value are part of the format we ship."""
    lines = [
        "[CEAppManager]",
        "Version \t= 1.0",
        "Component\t= %s" % name,
        "",
        "[%s] " % name,
        "Description\t= %s" % name,
        "Uninstall\t= %s " % name,
        "CabFiles\t= %s.cab" % name,
        "IconFile\t= %s.ico" % name,
        "IconIndex\t= 0",
        "DeviceFile\t= %s.exe" % name,
    ]
    return (CRLF.join(lines) + CRLF).encode("ascii")


def registry_description(name, maker):
    return ("%s for Pocket PC, made by %s. The device writes this key when it installs the "
            "program and deletes it again together with the program itself, its Start Menu "
            "shortcut and the files in the %s folder under \\Program Files." % (name, maker, name))


def device_readme(name, maker):
    lines = [
        "%s for Pocket PC" % name,
        "Version 1.0, by %s" % maker,
        "",
        "%s is now installed in \\Program Files\\%s on your device." % (name, name),
        "Start it from Start > Programs > %s." % name,
        "",
        "Requirements: Pocket PC 2002 or later and about 1 MB",
        "of free storage memory on the device.",
        "",
        "To remove it, tap Start > Settings > System > Remove",
        "Programs, select %s and tap Remove." % name,
        "",
        "For news, tips and updates, please visit the %s web site." % maker,
        "Thank you for choosing %s." % name,
    ]
    return (CRLF.join(lines) + CRLF).encode("ascii")


# The agreement as shown on the licence page. Each paragraph is one line: the page's edit box wraps
# words itself, and hard line breaks would fight its wrapping at other widths.
_LICENCE = [
    "{MAKER} SOFTWARE LICENCE AGREEMENT FOR {PRODUCT}",

    "IMPORTANT - READ CAREFULLY: This licence agreement (the \"Agreement\") is a legal agreement "
    "between you, either an individual or a single entity, and {Maker} for the software product "
    "{Product}, which includes the computer software for your handheld device and your desktop "
    "computer, any associated media, printed materials and online or electronic documentation "
    "(together the \"Software\"). By installing, copying or otherwise using the Software you agree "
    "to be bound by the terms of this Agreement. If you do not agree to them, do not install or "
    "use the Software, and leave the setup now. Please print or save a copy of this Agreement for "
    "your records.",

    "1. GRANT OF LICENCE. {Maker} grants you a non-exclusive, non-transferable licence to install "
    "and use one copy of the Software on a single handheld device and on the one desktop computer "
    "with which that device is synchronised. A trial version may be used for its evaluation "
    "period only; after that period you must either buy a licence or remove the Software from the "
    "device and from the computer. You may make one backup copy of the Software solely for "
    "archival purposes.",

    "2. OWNERSHIP. The Software is licensed, not sold. {Maker} and its suppliers keep all title, "
    "copyright and other intellectual property rights in the Software and in every copy of it, "
    "including the program code, images, text and sounds that are part of it. This Agreement "
    "gives you no rights in the Software other than the limited right of use set out in section 1. "
    "The structure and organisation of the Software are valuable trade secrets of {Maker}.",

    "3. PROTECTION OF THE SOFTWARE. You may not reverse engineer, decompile or disassemble the "
    "Software, except and only to the extent that applicable law expressly permits such activity "
    "notwithstanding this limitation. You may not remove or alter any copyright notice, "
    "registration check or other protective feature of the Software, and you may not modify the "
    "Software or create derivative works based on it, in whole or in part.",

    "4. UNAUTHORISED USE. You may not rent, lease, lend or sublicense the Software, use it to "
    "provide services to third parties, or disclose a registration code to any other person. Any "
    "use of the Software beyond the terms of this Agreement ends your licence at once, without "
    "prejudice to any other rights of {Maker}.",

    "5. BUNDLING. You may not bundle the Software, or any part of it, with any other product, or "
    "offer it as part of a collection, compilation or subscription service, whether free of "
    "charge or for payment, without the prior written consent of {Maker}. Magazine cover discs and "
    "software collections need a separate written licence from {Maker}.",

    "6. DISTRIBUTION. You may copy the unregistered trial version of the Software and pass it on "
    "to others, provided that you distribute the complete setup program without change and "
    "charge no fee for it. Registration codes and registered copies of the Software may not be "
    "distributed in any way.",

    "7. LIMITED WARRANTY. {Maker} warrants that the Software will perform substantially in "
    "accordance with its documentation for a period of ninety (90) calendar days from the date of "
    "purchase. Your exclusive remedy under this warranty is, at the option of {Maker}, either a "
    "refund of the price paid or the repair or replacement of the Software. Except as stated in "
    "this section, the Software is provided \"as is\", without warranty of any kind, either "
    "express or implied, including but not limited to the implied warranties of merchantability "
    "and fitness for a particular purpose. This limited warranty is void if failure of the "
    "Software has resulted from accident, abuse or misapplication.",

    "8. SEVERABILITY. If any provision of this Agreement is held invalid or unenforceable, that "
    "provision shall be enforced to the greatest extent permitted by law, and the remaining "
    "provisions of this Agreement shall continue in full force and effect.",

    "9. NO LIABILITY FOR CONSEQUENTIAL DAMAGES. To the maximum extent permitted by applicable "
    "law, in no event shall {Maker} or its suppliers be liable for any special, incidental, "
    "indirect or consequential damages whatsoever (including, without limitation, damages for "
    "loss of business profits, business interruption, loss of business information, loss of "
    "data stored on a handheld device or any other pecuniary loss) arising out of the use of or "
    "inability to use the Software, even if {Maker} has been advised of the possibility of such "
    "damages. In any case the entire liability of {Maker} under any provision of this Agreement "
    "shall be limited to the amount actually paid by you for the Software.",

    "10. GOVERNING LAW. This Agreement is governed by the laws of the country in which {Maker} "
    "has its registered office, without regard to its conflict of law rules. The courts of that "
    "place shall have exclusive jurisdiction over any dispute arising from this Agreement.",

    "11. INSPECTION AND TESTING. You are responsible for inspecting and testing the Software, "
    "using the trial version where one is offered, to make sure that it meets your needs and "
    "works with your device before you rely on it. {Maker} does not warrant that the Software "
    "will run on every device or operating system version, nor that its operation will be "
    "uninterrupted or error free. It is also your responsibility to keep a backup of the data on "
    "your device before you install the Software.",

    "12. ENTIRE AGREEMENT. This Agreement is the entire agreement between you and {Maker} "
    "relating to the Software and supersedes all prior or contemporaneous oral or written "
    "communications, proposals and representations. No change to this Agreement is valid unless "
    "it is made in writing and signed by {Maker}. A waiver of any breach of this Agreement is not "
    "a waiver of any other or later breach. If you have questions about this Agreement, please "
    "contact {Maker} through its web site.",

    "13. RESERVED RIGHTS. All rights not expressly granted to you in this Agreement are reserved "
    "by {Maker}. {Product} and {Maker} are trademarks of {Maker}.",

    "Copyright (C) {Maker}. All rights reserved.",
]


def licence(product, maker):
    """The licence agreement: 7-bit ASCII, CR LF line ends, an empty line between paragraphs, and
    the last line ending in CR LF with nothing after it."""
    fill = {"Maker": maker, "Product": product, "MAKER": maker.upper(), "PRODUCT": product.upper()}
    text = (CRLF + CRLF).join(p.format(**fill) for p in _LICENCE) + CRLF
    return text.encode("ascii")
