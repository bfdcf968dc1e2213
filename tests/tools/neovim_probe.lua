-- Drives `scenario lsp` from headless Neovim 0.7 as an author would: opens
-- the train description (with one error planted), waits for the
-- diagnostics of both files, hovers, completes, asks for the outline, types
-- the fix, applies a quick fix, formats a badly spaced copy and stops the
-- server. Writes what it saw as JSON for the C++ test to assert on.
-- Parameters: a JSON file named by g:probe_params.
local params = vim.fn.json_decode(vim.fn.readfile(vim.g.probe_params))
local out = { steps = {} }
local timeout = 20000

local function step(name) table.insert(out.steps, name) end

-- Every publication as it came, with the protocol's own positions.
local published = {}
local function on_diagnostics(err, result, ctx, config)
  table.insert(published, result)
  return vim.lsp.handlers['textDocument/publishDiagnostics'](err, result, ctx, config)
end

local function last_for(uri)
  for i = #published, 1, -1 do
    if published[i].uri == uri then return published[i] end
  end
  return nil
end

local function codes_of(publication)
  local codes = {}
  if publication then
    for _, d in ipairs(publication.diagnostics) do table.insert(codes, d.code) end
  end
  return codes
end

local function has_code(publication, code)
  for _, c in ipairs(codes_of(publication)) do
    if c == code then return true end
  end
  return false
end

local function run()
  vim.cmd('edit ' .. vim.fn.fnameescape(params.train))
  local train_buf = vim.api.nvim_get_current_buf()
  local train_uri = vim.uri_from_bufnr(train_buf)
  local line_uri = vim.uri_from_fname(params.line)
  out.train_uri = train_uri
  out.line_uri = line_uri
  out.fileformat = vim.bo.fileformat

  local exit_code = nil
  local client_id = vim.lsp.start_client({
    name = 'scenario',
    cmd = { params.tool, 'lsp' },
    root_dir = params.root,
    init_options = { warnings = { 'no-speed-board-missing' } },
    flags = { debounce_text_changes = 0 },
    handlers = { ['textDocument/publishDiagnostics'] = on_diagnostics },
    on_exit = function(code, signal) exit_code = code end,
  })
  out.client_started = client_id ~= nil
  vim.lsp.buf_attach_client(train_buf, client_id)
  local client = vim.lsp.get_client_by_id(client_id)

  -- The planted error and the problem it causes in the line file.
  step('diagnostics')
  vim.wait(timeout, function()
    return has_code(last_for(train_uri), 25) and
        has_code(last_for(line_uri), 'speed-board-unmatched')
  end, 20)
  out.train_diagnostics = last_for(train_uri)
  out.line_diagnostics = last_for(line_uri)
  -- As Neovim shows them: byte columns of its buffer.
  out.shown = {}
  for _, d in ipairs(vim.diagnostic.get(train_buf)) do
    table.insert(out.shown, { lnum = d.lnum, col = d.col, code = d.code,
                              severity = d.severity })
  end

  step('hover')
  local hover = vim.lsp.buf_request_sync(train_buf, 'textDocument/hover', {
    textDocument = { uri = train_uri },
    position = { line = params.signal_line, character = 13 },
  }, timeout)
  out.hover = hover and hover[client_id] and hover[client_id].result or vim.NIL

  step('completion')
  local completion = vim.lsp.buf_request_sync(train_buf, 'textDocument/completion', {
    textDocument = { uri = train_uri },
    position = { line = params.signal_line, character = 0 },
  }, timeout)
  out.completion = {}
  if completion and completion[client_id] then
    for _, item in ipairs(completion[client_id].result.items) do
      table.insert(out.completion, { label = item.label, insertText = item.insertText })
    end
  end

  step('outline')
  local symbols = vim.lsp.buf_request_sync(train_buf, 'textDocument/documentSymbol', {
    textDocument = { uri = train_uri },
  }, timeout)
  out.outline = {}
  if symbols and symbols[client_id] then
    for _, s in ipairs(symbols[client_id].result) do
      local children = {}
      for _, c in ipairs(s.children or {}) do table.insert(children, c.name) end
      table.insert(out.outline, { name = s.name, children = children })
    end
  end

  -- Typed as an author types: the letter O of "85O" replaced by a zero.
  step('typed fix')
  vim.api.nvim_win_set_cursor(0, { params.error_line + 1, params.error_column + 2 })
  vim.cmd('normal! r0')
  vim.wait(timeout, function()
    local t = last_for(train_uri)
    local l = last_for(line_uri)
    return t and not has_code(t, 25) and l and not has_code(l, 'speed-board-unmatched')
  end, 20)
  out.train_after_fix = last_for(train_uri)
  out.line_after_fix = last_for(line_uri)
  out.buffer_version = vim.lsp.util.buf_versions[train_buf]

  -- The quick fix for the station past the line's end, applied.
  step('quick fix')
  local actions = vim.lsp.buf_request_sync(train_buf, 'textDocument/codeAction', {
    textDocument = { uri = train_uri },
    range = { start = { line = params.station_line, character = 0 },
              ['end'] = { line = params.station_line, character = 0 } },
    context = { diagnostics = {} },
  }, timeout)
  out.actions = {}
  if actions and actions[client_id] then
    for _, a in ipairs(actions[client_id].result) do
      table.insert(out.actions, a.title)
      vim.lsp.util.apply_workspace_edit(a.edit, client.offset_encoding or 'utf-16')
    end
  end
  vim.wait(timeout, function()
    local t = last_for(train_uri)
    return t and not has_code(t, 'beyond-line')
  end, 20)
  out.train_after_quick_fix = last_for(train_uri)
  out.station_line_text = vim.api.nvim_buf_get_lines(train_buf, params.station_line,
                                                     params.station_line + 1, false)[1]

  step('formatting')
  vim.cmd('edit ' .. vim.fn.fnameescape(params.spaced))
  local spaced_buf = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(spaced_buf, client_id)
  vim.lsp.buf.formatting_sync(nil, timeout)
  out.formatted_lines = vim.api.nvim_buf_get_lines(spaced_buf, 0, -1, false)
  out.formatted_fileformat = vim.bo.fileformat

  step('stop')
  vim.lsp.stop_client(client_id)
  vim.wait(timeout, function() return exit_code ~= nil end, 20)
  out.exit_code = exit_code == nil and vim.NIL or exit_code
end

local ok, err = pcall(run)
out.ok = ok
out.error = ok and vim.NIL or tostring(err)
vim.fn.writefile({ vim.fn.json_encode(out) }, params.output)
vim.cmd('qa!')
