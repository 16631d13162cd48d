# The store open to everyone, in a directory open to a user through its
# ACL.
need_tool setfacl acl || return
mkdir store
if ! on_wine; then
  mv registry.reg store/
  export QUILLSPUR_REGISTRY=$PWD/store/registry.reg
  chmod o+w store/registry.reg
fi
setfacl -m u:daemon:rwx store
