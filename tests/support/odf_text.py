"""Reading LibreOffice's OpenDocument output in the real-reader checks."""

ODF = {
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
}


def q(name):
    """An ElementTree tag or attribute name for "prefix:local"."""
    prefix, local = name.split(":")
    return "{%s}%s" % (ODF[prefix], local)


def field_text(element):
    """The text of an ODF paragraph with its page fields as <P> and <N>."""
    out = element.text or ""
    for child in element:
        if child.tag == q("text:page-number"):
            out += "<P>"
        elif child.tag == q("text:page-count"):
            out += "<N>"
        elif child.tag == q("text:s"):
            out += " " * int(child.get(q("text:c"), "1"))
        else:
            out += field_text(child)
        out += child.tail or ""
    return out


def page_layout_properties(content, styles, table):
    """The page-layout properties a table prints with: table style, master page, page layout."""
    table_style = next(s for s in content.iter(q("style:style"))
                       if s.get(q("style:name")) == table.get(q("table:style-name")))
    master = next(m for m in styles.iter(q("style:master-page"))
                  if m.get(q("style:name")) == table_style.get(q("style:master-page-name")))
    layout = next(l for l in styles.iter(q("style:page-layout"))
                  if l.get(q("style:name")) == master.get(q("style:page-layout-name")))
    return master, layout.find(q("style:page-layout-properties"))
