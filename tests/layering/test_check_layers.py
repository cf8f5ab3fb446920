#!/usr/bin/env python3
"""The layering check on small made-up trees: each rule catches what it is for."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import check_layers  # noqa: E402


class LayeringCheckTest(unittest.TestCase):
    def tree(self, files):
        root = tempfile.mkdtemp()
        self.addCleanup(lambda: __import__('shutil').rmtree(root))
        for path, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), 'w') as f:
                f.write(text)
        return root

    def test_downward_and_same_folder_includes_pass(self):
        root = self.tree({
            'base/logging.h': '',
            'device/functions.h': '#include "logging.h"\n',
            'protocol/encoder.cpp': '#include "functions.h"\n#include "encoder.h"\n#include <QString>\n',
            'protocol/encoder.h': '',
            'app/window.cpp': '#include "encoder.h"\n#include "generated_by_moc.h"\n',
        })
        self.assertEqual(check_layers.check(root), [])

    def test_upward_and_sibling_includes_fail(self):
        root = self.tree({
            'base/a.h': '#include "cache.h"\n',
            'bridge/cache.h': '',
            'protocol/p.h': '#include "view.h"\n',
            'browser/view.h': '',
            'bridge/commands.cpp': '#include "view.h"\n#include "p.h"\n',
        })
        faults = check_layers.check(root)
        self.assertEqual(len(faults), 3)
        self.assertIn('base/a.h includes bridge/cache.h', faults[0])
        self.assertIn('bridge/commands.cpp includes browser/view.h', faults[1])
        self.assertIn('protocol/p.h includes browser/view.h', faults[2])

    def test_emulator_takes_only_base_and_the_transport_header(self):
        root = self.tree({
            'base/log.h': '',
            'device/transport/transport_entry_points.h': '',
            'device/functions.h': '',
            'emulator/exports.cpp': '#include "transport_entry_points.h"\n#include "log.h"\n#include "functions.h"\n',
            'device/block.cpp': '#include "exports.h"\n',
            'emulator/exports.h': '',
        })
        faults = check_layers.check(root)
        self.assertEqual(len(faults), 2)
        self.assertIn('device/block.cpp includes emulator/exports.h', faults[0])
        self.assertIn('emulator/exports.cpp includes device/functions.h', faults[1])

    def test_loops_inside_a_guarded_folder_fail(self):
        root = self.tree({
            'protocol/a.h': '',
            'protocol/a.cpp': '#include "a.h"\n#include "b.h"\n',
            'protocol/b.h': '',
            'protocol/b.cpp': '#include "b.h"\n#include "a.h"\n',
        })
        saved = check_layers.ACYCLIC
        check_layers.ACYCLIC = ['protocol']
        try:
            self.assertEqual(check_layers.check(root), ['include loop: protocol/a <-> protocol/b'])
        finally:
            check_layers.ACYCLIC = saved


if __name__ == '__main__':
    unittest.main()
