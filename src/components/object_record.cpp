// The object and control records of a saved scene, and the walk over a saved subtree.

#include <string>
#include <vector>

#include "components/saved_records.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "components/vorn_object.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"

namespace vorn {

namespace {

// The children a control saves, in child order.
std::vector<const TVornControl*> SavedChildren(const TVornControl& control) {
  std::vector<const TVornControl*> saved;
  for (const TVornControl* child : control.Children()) {
    if (child->IsSavedInScene()) saved.push_back(child);
  }
  return saved;
}

std::int32_t ReadChildCount(TStream& stream) {
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0) throw ESavedSceneError("negative child count " + std::to_string(count));
  return count;
}

void WriteRect(TStream& stream, const TRect& rect) {
  WriteIntToStream(stream, rect.left);
  WriteIntToStream(stream, rect.top);
  WriteIntToStream(stream, rect.right);
  WriteIntToStream(stream, rect.bottom);
}

TRect ReadRect(TStream& stream) {
  TRect rect;
  rect.left = ReadIntFromStream(stream);
  rect.top = ReadIntFromStream(stream);
  rect.right = ReadIntFromStream(stream);
  rect.bottom = ReadIntFromStream(stream);
  return rect;
}

}  // namespace

bool TVornObject::IsSavedInScene() const { return !IsDeleted() && GetCompoType() != 0 && !IsSystemName(GetName()); }

// ---- object fields ----

void TVornObject::SaveObjectFields(TStream& stream) const {
  WriteStrToStream(stream, name_);
  WriteIntToStream(stream, priority_);
  WriteIntToStream(stream, sub_priority_);
  WriteStrToStream(stream, tag_);
}

void TVornObject::LoadObjectFields(TStream& stream, std::int32_t version) {
  // No rename rules: a saved scene holds the names it had.
  StoreName(ReadStrFromStream(stream));
  priority_ = ReadIntFromStream(stream);
  if (version >= kFirstVersionWithSubPriority) sub_priority_ = ReadIntFromStream(stream);
  if (version >= kFirstVersionWithTag) tag_ = ReadStrFromStream(stream);
}

// ---- control fields ----

void TVornControl::SaveControlFields(TStream& stream) const {
  for (const std::int32_t value : {left_, top_, width_, height_, offset_x_, offset_y_}) WriteIntToStream(stream, value);
  WriteByteToStream(stream, pos_zoomed_);
  for (const std::int32_t value : {motion_left_, motion_top_, plus_x_, plus_y_}) WriteIntToStream(stream, value);
  for (const std::int32_t value : {clip_left_, clip_top_, clip_width_, clip_height_}) WriteIntToStream(stream, value);
  WriteByteToStream(stream, ani_paused_);
  WriteByteToStream(stream, visible_);
  WriteIntToStream(stream, color_);
  WriteRect(stream, GetSpareRect());
  WriteByteToStream(stream, ignore_mouse_);
  WriteStrToStream(stream, cursor_);
  WriteStrToStream(stream, on_mouse_move_);
  WriteStrToStream(stream, on_mouse_in_);
  for (const std::string* label : {&on_mouse_out_, &on_lbtn_down_, &on_lbtn_up_, &on_rbtn_down_, &on_rbtn_up_,
                                   &on_wheel_down_, &on_wheel_up_}) {
    WriteStrToStream(stream, *label);
  }
  WriteBoolToStream(stream, handle_key_ != 0);
  for (const std::string* label : {&on_key_down_, &on_key_up_, &on_key_repeat_, &on_focus_in_, &on_focus_out_}) {
    WriteStrToStream(stream, *label);
  }
}

void TVornControl::LoadControlFields(TStream& stream, std::int32_t version) {
  for (std::int32_t* value : {&left_, &top_, &width_, &height_, &offset_x_, &offset_y_}) {
    *value = ReadIntFromStream(stream);
  }
  pos_zoomed_ = ReadByteFromStream(stream);
  if (version >= kFirstVersionWithMotionPosition) {
    for (std::int32_t* value : {&motion_left_, &motion_top_, &plus_x_, &plus_y_}) *value = ReadIntFromStream(stream);
  }
  if (version >= kFirstVersionWithSubPriority) {
    for (std::int32_t* value : {&clip_left_, &clip_top_, &clip_width_, &clip_height_}) {
      *value = ReadIntFromStream(stream);
    }
    ani_paused_ = ReadByteFromStream(stream);
  }
  visible_ = ReadByteFromStream(stream);
  color_ = ReadIntFromStream(stream);
  spare_rect_ = ReadRect(stream);
  ignore_mouse_ = ReadByteFromStream(stream);
  ReadStrFromStream(stream, cursor_);
  ReadStrFromStream(stream, on_mouse_move_);
  if (version >= kFirstVersionWithMouseIn) ReadStrFromStream(stream, on_mouse_in_);
  for (std::string* label : {&on_mouse_out_, &on_lbtn_down_, &on_lbtn_up_, &on_rbtn_down_, &on_rbtn_up_,
                             &on_wheel_down_, &on_wheel_up_}) {
    ReadStrFromStream(stream, *label);
  }
  if (version >= kFirstVersionWithKeyLabels) {
    handle_key_ = ReadBoolFromStream(stream) ? 1 : 0;
    for (std::string* label : {&on_key_down_, &on_key_up_, &on_key_repeat_, &on_focus_in_, &on_focus_out_}) {
      ReadStrFromStream(stream, *label);
    }
  }
}

void TVornControl::AdoptLoadedChild(TVornControl* child) {
  child->parent_ = this;
  children_.push_back(child);
  children_sorted_ = false;
  if (GetCompoType() == 27) child->CabinetEnter();
}

// ---- the walk ----

// A control's record is split at its children: object and control fields, the child count, each
// child's record, then the class fields. A frame stands for a control whose children are being
// written or read.

void TVornObject::SaveToStream(TStream& stream) const {
  struct Frame {
    const TVornObject* object;
    std::vector<const TVornControl*> children;
    std::size_t next = 0;
  };
  std::vector<Frame> stack;
  // Writes everything up to the children; a control is left on the stack for them.
  auto begin = [&stack, &stream](const TVornObject& object) {
    object.SaveObjectFields(stream);
    const TVornControl* control = object.AsControl();
    if (control == nullptr) {
      object.SaveClassFields(stream);
      return;
    }
    control->SaveControlFields(stream);
    std::vector<const TVornControl*> children = SavedChildren(*control);
    WriteIntToStream(stream, static_cast<std::int32_t>(children.size()));
    stack.push_back({&object, std::move(children)});
  };
  begin(*this);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next < frame.children.size()) {
      const TVornControl* child = frame.children[frame.next++];
      WriteByteToStream(stream, child->GetCompoType());
      begin(*child);  // may grow the stack: frame is not used after this
      continue;
    }
    const TVornObject* done = frame.object;
    stack.pop_back();
    done->SaveClassFields(stream);
  }
}

void TVornObject::LoadFromStream(TStream& stream, std::int32_t version) {
  struct Frame {
    TVornControl* control;
    std::int32_t left;
  };
  std::vector<Frame> stack;
  auto begin = [&stack, &stream, version](TVornObject& object) {
    object.LoadObjectFields(stream, version);
    TVornControl* control = object.AsControl();
    if (control == nullptr) {
      object.LoadClassFields(stream, version);
      return;
    }
    control->LoadControlFields(stream, version);
    stack.push_back({control, ReadChildCount(stream)});
  };
  begin(*this);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.left > 0) {
      --frame.left;
      TVornControl* parent = frame.control;
      const std::uint8_t kind = ReadByteFromStream(stream);
      TVornBaseList* scene = GetOwner();
      TVornObject* created = scene != nullptr ? scene->CreateComponentByType(kind) : nullptr;
      if (created == nullptr) throw ESavedSceneError("no component of kind " + std::to_string(kind));
      TVornControl* child = created->AsControl();
      if (child == nullptr) {
        // Only controls have a parent: the record cannot have been written by a scene.
        created->DeleteObject();
        throw ESavedSceneError("child of kind " + std::to_string(kind) + " is no control");
      }
      parent->AdoptLoadedChild(child);
      begin(*child);  // may grow the stack: frame is not used after this
      continue;
    }
    TVornControl* done = frame.control;
    stack.pop_back();
    done->SortChildren();
    static_cast<TVornObject*>(done)->LoadClassFields(stream, version);
  }
}

}  // namespace vorn
