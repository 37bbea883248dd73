#!/usr/bin/env python3
"""Writes the saved-scene fixtures of this folder from the record tables, field by field.

Every fixture holds the same scene, written with the fields its version has:
  80 x 60, layer 0 active.
  layer 0 ("\\x01BASE0", colour 0x102030): box "red" (kind 2), cabinet "cab" (kind 27) holding
  box "inside"; in child order (cab priority 1, red priority 2).
  layer 1 ("\\x01BASE1", colour -1): no children.
  top level: timer "tick" (kind 15).
  queue: "p.vsb:tick" of tick (code 33, done 0); "p.vsb:down" of red (code 36, done 2,
  arguments "3" and "4"); "p.vsb:free" of no target (code 50, done 0).
  focus: "red".
The system-targets fixture holds a smaller scene whose events name the screen copy and the
inactive layer.
The kinds fixtures hold a 40 x 30 scene with a map image "map" (kind 18) and a bitmap-font label
"lab" (kind 24) on layer 0 and a property motion "mot" (kind 26) at the top level, no events.
The pictures fixtures hold a scene of pictures on layer 0, 64 x 48:
  images "anim" (kind 8): source "anim.pel", index 1, repeat, paused, zoom 512 x 256 (ZOOMY only
  from version 104 on), holding images "inside" (kind 8, no source, index -1).
  buttons "yes" and "no" (kind 3) of group 1: "yes" selected, hover and pressed pictures, clicked
  picture and idle label from version 104 on; "no" with no pictures but its source.

Run it from anywhere; it rewrites the .bin files beside it.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def i32(value):
    return struct.pack('<i', value)


def u8(value):
    return struct.pack('<B', value)


def string(text):
    data = text.encode('cp932') if isinstance(text, str) else text
    return i32(len(data)) + data


def object_fields(v, name, priority, sub_priority=0, tag=''):
    out = string(name) + i32(priority)
    if v > 103:
        out += i32(sub_priority)
    if v >= 120:
        out += string(tag)
    return out


def control_fields(v, c):
    """c: dict of the control's fields; missing ones take the defaults of a new control."""
    g = lambda key, default=0: c.get(key, default)
    out = b''.join(i32(g(k)) for k in ('left', 'top', 'width', 'height', 'offset_x', 'offset_y'))
    out += u8(g('pos_zoomed'))
    if v >= 130:
        out += b''.join(i32(g(k)) for k in ('motion_left', 'motion_top', 'plus_x', 'plus_y'))
    if v > 103:
        out += b''.join(i32(g(k)) for k in ('clip_left', 'clip_top', 'clip_width', 'clip_height'))
        out += u8(g('anim_paused'))
    out += u8(g('visible', 1))
    out += i32(g('color'))
    out += b''.join(i32(x) for x in g('spare', (0, 0, 1, 1)))  # left, top, right, bottom
    out += u8(g('ignore_mouse'))
    out += string(g('cursor', ''))
    labels = g('labels', {})
    out += string(labels.get('move', ''))
    if v > 101:
        out += string(labels.get('in', ''))
    for key in ('out', 'ldown', 'lup', 'rdown', 'rup', 'wheeldown', 'wheelup'):
        out += string(labels.get(key, ''))
    if v > 117:
        out += u8(1 if g('handle_key') else 0)
        for key in ('keydown', 'keyup', 'keyrepeat', 'focusin', 'focusout'):
            out += string(labels.get(key, ''))
    return out


def box_fields(v, b):
    g = lambda key, default=0: b.get(key, default)
    out = i32(g('border_width')) + i32(g('border_color')) + i32(g('alpha', 255))
    if v > 103:
        out += string(g('on_idle', '')) + string(g('source', ''))
        out += u8(g('repeat')) + u8(g('auto_scrap'))
        out += string(g('on_play_end', ''))
        out += u8(g('paused')) + u8(g('anim_paused'))
    return out


def timer_fields(v, t):
    out = string(t['label']) + i32(t['delay']) + u8(t['paused'])
    if v > 103:
        out += u8(t['auto_scrap']) + u8(t['fired'])
    return out


def control_record(v, obj, ctl, children=(), box=None):
    out = object_fields(v, *obj) + control_fields(v, ctl) + i32(len(children))
    for kind, child in children:
        out += u8(kind) + child
    if box is not None:
        out += box_fields(v, box)
    return out


def extended(x):
    """An 80-bit x87 extended real: 64-bit mantissa with its integer bit, sign and 15-bit exponent."""
    if x == 0:
        return bytes(10)
    m, e = math.frexp(abs(x))
    mantissa = int(m * (1 << 64))
    return struct.pack('<QH', mantissa, (0x8000 if x < 0 else 0) | (e - 1 + 16383))


def map_image_fields(v):
    out = string('') + string('') + string('regions.dat') + i32(255) + i32(-10)
    out += string('p.vsb:in') + string('p.vsb:out') + u8(1) + u8(1)
    if v > 103:
        out += string('p.vsb:idle') + u8(0) + string('p.vsb:sel')
    if v > 114:
        out += i32(100)
    return out


def cg_label_fields(v):
    out = string('') + string('12\r\n3') + string('0123456789') + i32(16) + i32(20) + i32(4)
    out += u8(0) + u8(2) + i32(300)
    if v > 124:
        out += string('p.vsb:lidle')
    return out


def prop_motion_fields(v):
    out = string('lab') + i32(3) + extended(100.0) + i32(1000) + i32(2) + extended(-2.5) + i32(500)
    if v > 125:
        out += u8(1)
    return out


def kinds_scene(v):
    map_image = control_record(v, ('map', 1), {'left': 2, 'top': 3, 'labels': {'keyrepeat': 'p.vsb:kr'}})
    map_image += map_image_fields(v)
    label = control_record(v, ('lab', 2), {'left': 5, 'top': 6, 'width': 32, 'height': 44}) + cg_label_fields(v)
    layer0 = control_record(v, ('\x01BASE0', 0), {'width': 40, 'height': 30},
                            children=[(18, map_image), (24, label)])
    layer1 = control_record(v, ('\x01BASE1', 0), {'width': 40, 'height': 30})
    motion = u8(26) + object_fields(v, 'mot', 0) + prop_motion_fields(v)
    out = i32(40) + i32(30) + i32(0) + layer0 + layer1 + i32(1) + motion + i32(0)
    if v > 118:
        out += string('')
    return out


def custom_image_fields(v, c):
    g = lambda key, default=0: c.get(key, default)
    out = i32(g('alpha', 255)) + i32(g('zoom_x', 256)) + i32(g('angle'))
    out += u8(g('flip_h')) + u8(g('flip_v')) + u8(g('capture_mask'))
    if v > 103:
        out += i32(g('zoom_y', 256))
    # remaining delay, INDEX, BRIGHTNESS, PAUSED, then the last-frame wait: no operations
    out += i32(g('remaining')) + i32(g('index', -1)) + i32(g('brightness')) + u8(g('paused'))
    out += i32(0)
    return out


def images_fields(v, c, button=False):
    g = lambda key, default=0: c.get(key, default)
    out = custom_image_fields(v, c)
    out += u8(g('repeat')) + u8(g('auto_scrap')) + string(g('source', '')) + string(g('on_play_end', ''))
    if v > 103:
        out += string('' if button else g('on_idle', ''))
    return out


def button_fields(v, c):
    g = lambda key, default=0: c.get(key, default)
    out = images_fields(v, c, button=True)
    out += string(g('hover', '')) + string(g('pressed', '')) + i32(g('group'))
    out += u8(g('selected')) + u8(g('allow_all_up')) + string(g('on_notify', ''))
    if v > 103:
        out += string(g('on_idle', '')) + string(g('clicked', ''))
    return out


def picture_record(v, obj, ctl, fields, children=()):
    out = object_fields(v, *obj) + control_fields(v, ctl) + i32(len(children))
    for kind, child in children:
        out += u8(kind) + child
    return out + fields


def pictures_scene(v):
    inside = picture_record(v, ('inside', 0), {'left': 2, 'top': 2}, images_fields(v, {'alpha': 128}))
    anim = picture_record(
        v, ('anim', 1), {'left': 4, 'top': 6, 'width': 16, 'height': 8},
        images_fields(v, {'zoom_x': 512, 'zoom_y': 256, 'remaining': 30, 'index': 1, 'paused': 1,
                          'repeat': 1, 'source': 'anim.pel', 'on_play_end': 'p.vsb:end',
                          'on_idle': 'p.vsb:idle'}),
        children=[(8, inside)])
    yes = picture_record(
        v, ('yes', 2), {'left': 30, 'top': 4, 'width': 8, 'height': 4, 'labels': {'in': 'p.vsb:in'}},
        button_fields(v, {'source': 'n.pel', 'index': 0, 'hover': 'h.pel', 'pressed': 'p.pel',
                          'group': 1, 'selected': 1, 'on_notify': 'p.vsb:yes', 'on_idle': 'p.vsb:busy',
                          'clicked': 'c.pel'}))
    no = picture_record(
        v, ('no', 3), {'left': 30, 'top': 20, 'width': 8, 'height': 4},
        button_fields(v, {'source': 'n.pel', 'index': 0, 'group': 1, 'allow_all_up': 1,
                          'on_notify': 'p.vsb:no'}))
    layer0 = control_record(v, ('\x01BASE0', 0), {'width': 64, 'height': 48, 'color': 0x404040},
                            children=[(8, anim), (3, yes), (3, no)])
    layer1 = control_record(v, ('\x01BASE1', 0), {'width': 64, 'height': 48, 'color': -1})
    out = i32(64) + i32(48) + i32(0) + layer0 + layer1 + i32(0) + i32(0)
    if v > 118:
        out += string('')
    return out


def event(v, label, target, code, done, arguments=()):
    out = string(label) + string(target) + u8(code)
    out += i32(done) if v > 113 else u8(done)
    out += i32(len(arguments)) + b''.join(string(a) for a in arguments)
    return out


def common_scene(v):
    inside = control_record(
        v, ('inside', 0, 0, 'tag-inside'),
        {'left': 1, 'top': 2, 'width': 5, 'height': 6, 'color': 0x00FF00, 'anim_paused': 1},
        box={'alpha': 128, 'anim_paused': 1})
    cab = control_record(
        v, ('cab', 1, 0, ''),
        {'left': 4, 'top': 5, 'width': 20, 'height': 20, 'clip_left': 1, 'clip_top': 2,
         'clip_width': 10, 'clip_height': 11, 'color': -1, 'labels': {'in': 'p.vsb:in'}},
        children=[(2, inside)])
    red = control_record(
        v, ('red', 2, 7, 'tag-red'),
        {'left': 10, 'top': 20, 'width': 30, 'height': 40, 'offset_x': 1, 'offset_y': 2, 'pos_zoomed': 1,
         'motion_left': 11, 'motion_top': 12, 'plus_x': 3, 'plus_y': 4, 'color': 0x0000FF,
         'spare': (1, 2, 3, 4), 'ignore_mouse': 2, 'cursor': 'hand.cur', 'handle_key': True,
         'labels': {'move': 'p.vsb:move', 'in': 'p.vsb:in', 'out': 'p.vsb:out', 'ldown': 'p.vsb:down',
                    'lup': 'p.vsb:up', 'rdown': 'p.vsb:rdown', 'rup': 'p.vsb:rup',
                    'wheeldown': 'p.vsb:wd', 'wheelup': 'p.vsb:wu', 'keydown': 'p.vsb:kd',
                    'keyup': 'p.vsb:ku', 'keyrepeat': 'p.vsb:kr', 'focusin': 'p.vsb:fi',
                    'focusout': 'p.vsb:fo'}},
        box={'border_width': 3, 'border_color': 0xFFFFFF, 'alpha': 200, 'on_idle': 'p.vsb:idle',
             'source': 'red.bmp', 'repeat': 1, 'auto_scrap': 1, 'on_play_end': 'p.vsb:end',
             'paused': 1})
    layer0 = control_record(v, ('\x01BASE0', 0), {'width': 80, 'height': 60, 'color': 0x102030},
                            children=[(27, cab), (2, red)])
    layer1 = control_record(v, ('\x01BASE1', 0), {'width': 80, 'height': 60, 'color': -1})
    tick = u8(15) + object_fields(v, 'tick', 0, 0, 'tag-tick') + timer_fields(
        v, {'label': 'p.vsb:tick', 'delay': 500, 'paused': 1, 'auto_scrap': 1, 'fired': 1})
    events = [event(v, 'p.vsb:tick', 'tick', 33, 0),
              event(v, 'p.vsb:down', 'red', 36, 2, ('3', '4')),
              event(v, 'p.vsb:free', '', 50, 0)]
    out = i32(80) + i32(60) + i32(0) + layer0 + layer1 + i32(1) + tick
    out += i32(len(events)) + b''.join(events)
    if v > 118:
        out += string('red')
    return out


def system_targets_scene(v):
    layer0 = control_record(v, ('\x01BASE0', 0), {'width': 16, 'height': 16})
    layer1 = control_record(v, ('\x01BASE1', 0), {'width': 16, 'height': 16})
    events = [event(v, 'p.vsb:copy', b'\x01\x01', 36, 0),
              event(v, 'p.vsb:other', '\x01BASE1', 36, 0)]
    return i32(16) + i32(16) + i32(1) + layer0 + layer1 + i32(0) + i32(len(events)) + b''.join(events) + string('')


FIXTURES = {
    'scene-v101-no-mouse-in.bin': (101, common_scene),
    'scene-v103-no-sub-priority.bin': (103, common_scene),
    'scene-v107-oldest-game-save.bin': (107, common_scene),
    'scene-v113-done-byte.bin': (113, common_scene),
    'scene-v114-done-int.bin': (114, common_scene),
    'scene-v117-no-key-labels.bin': (117, common_scene),
    'scene-v118-key-labels.bin': (118, common_scene),
    'scene-v119-focus-name.bin': (119, common_scene),
    'scene-v120-tag.bin': (120, common_scene),
    'scene-v129-no-motion.bin': (129, common_scene),
    'scene-v130-motion-plus.bin': (130, common_scene),
    'scene-v134-newest.bin': (134, common_scene),
    'scene-v134-system-targets.bin': (134, system_targets_scene),
    'kinds-v103-no-map-idle.bin': (103, kinds_scene),
    'kinds-v114-no-close-state.bin': (114, kinds_scene),
    'kinds-v124-no-label-idle.bin': (124, kinds_scene),
    'kinds-v125-no-motion-pause.bin': (125, kinds_scene),
    'kinds-v134-newest.bin': (134, kinds_scene),
    'pictures-v103.bin': (103, pictures_scene),
    'pictures-v134.bin': (134, pictures_scene),
}

# The fuzz target of saved scenes takes its version from the first byte: an index into its table.
FUZZ_VERSIONS = [101, 103, 107, 113, 114, 117, 118, 119, 120, 129, 130, 134]
FUZZ_SEEDS = ['pictures-v103.bin', 'pictures-v134.bin']
FUZZ_CORPUS = os.path.join(HERE, '..', '..', '..', 'fuzz', 'corpus', 'scene_record')

if __name__ == '__main__':
    for name, (version, build) in FIXTURES.items():
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(build(version))
    for name in FUZZ_SEEDS:
        version, build = FIXTURES[name]
        with open(os.path.join(FUZZ_CORPUS, name), 'wb') as f:
            f.write(u8(FUZZ_VERSIONS.index(version)) + build(version))
